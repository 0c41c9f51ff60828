#!/bin/sh
# The libFuzzer targets of build/fuzz (cmake --build --preset fuzz).
#   tools/fuzz.sh smoke SECONDS [TARGET...]     replays fuzz/<t>/regressions and the seeds, then
#                                                fuzzes each target SECONDS; fails on any report
#   tools/fuzz.sh campaign SECONDS [TARGET...]  fuzzes each target SECONDS in turn, one at a time
#                                                machine-wide, at low priority; grown corpora and
#                                                logs stay in build/fuzz/{corpus,logs}
#   tools/fuzz.sh minimize [TARGET...]           merges the grown corpus into a fresh seed folder
# Without TARGET: every fuzz/*.cpp.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/fuzz/bin"
mode=$1; shift
seconds=0
if [ "$mode" != minimize ]; then seconds=$1; shift; fi
targets="$*"
[ -n "$targets" ] || targets=$(cd "$root/fuzz" && ls *.cpp | sed 's/\.cpp$//')

options() { # dictionary and limits shared by every run
    echo "-dict=$root/fuzz/$1.dict -max_len=4096 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1"
}

rc=0
for t in $targets; do
    seeds="$root/fuzz/$t/corpus"
    case $mode in
    smoke)
        work=$(mktemp -d)
        if [ -d "$root/fuzz/$t/regressions" ] && ! "$bin/fuzz_$t" "$root/fuzz/$t/regressions"/* >"$work/log" 2>&1; then
            echo "fuzz $t: a regression input fails"; tail -30 "$work/log"; rc=1
        elif ! (cd "$work" && "$bin/fuzz_$t" $(options "$t") -max_total_time="$seconds" "$work" "$seeds" >"$work/log" 2>&1); then
            echo "fuzz $t: FAILED"; tail -40 "$work/log"; rc=1
        else
            echo "fuzz $t: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/log" | cut -d' ' -f2) runs, no report"
        fi
        rm -rf "$work"
        ;;
    campaign)
        mkdir -p "$root/build/fuzz/corpus/$t" "$root/build/fuzz/logs" "$root/build/fuzz/crashes/$t"
        log="$root/build/fuzz/logs/$t.log"
        flock "$root/build/fuzz/campaign.lock" /usr/bin/time -f "$t: %U s user %S s system" -a -o "$root/build/fuzz/logs/cpu.txt" \
            nice -n 15 "$bin/fuzz_$t" $(options "$t") -max_total_time="$seconds" \
            -artifact_prefix="$root/build/fuzz/crashes/$t/" \
            "$root/build/fuzz/corpus/$t" "$seeds" >"$log" 2>&1 || { echo "fuzz $t: report in $log"; rc=1; }
        ;;
    minimize)
        fresh=$(mktemp -d)
        "$bin/fuzz_$t" -merge=1 -max_len=4096 "$fresh" "$seeds" "$root/build/fuzz/corpus/$t" >/dev/null 2>&1
        rm -f "$seeds"/*; cp "$fresh"/* "$seeds"/; rm -rf "$fresh"
        echo "fuzz $t: $(ls "$seeds" | wc -l) seeds, $(du -sk "$seeds" | cut -f1) KB"
        ;;
    *) echo "usage: tools/fuzz.sh smoke|campaign SECONDS [TARGET...] | minimize [TARGET...]" >&2; exit 2 ;;
    esac
done
exit $rc
