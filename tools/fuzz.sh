#!/bin/sh
# The libFuzzer targets of build/fuzz (cmake --build --preset fuzz).
#   tools/fuzz.sh smoke SECONDS [TARGET...]     replays fuzz/<t>/regressions and the seeds, then
#                                                fuzzes each target SECONDS; fails on any report
#   tools/fuzz.sh campaign SECONDS [TARGET...]  fuzzes each target for SECONDS of processor time
#                                                (at most FUZZ_WALL_SECONDS of wall time), one
#                                                target at a time, at low priority (FUZZ_NICE,
#                                                default 15); grown corpora,
#                                                logs and crashes stay in build/fuzz
#   tools/fuzz.sh minimize [TARGET...]           merges the grown corpus into a fresh seed folder
#                                                of at most 50 inputs (the largest kept)
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
        exec 9>"$root/build/fuzz/campaign.lock"
        flock 9
        nice -n "${FUZZ_NICE:-15}" "$bin/fuzz_$t" $(options "$t") -artifact_prefix="$root/build/fuzz/crashes/$t/" \
            "$root/build/fuzz/corpus/$t" "$seeds" >"$log" 2>&1 9>&- &
        pid=$!
        # On a shared machine wall time says little: stop at the processor-time budget.
        ticks=$(getconf CLK_TCK); started=$(date +%s); cpu=0
        while kill -0 $pid 2>/dev/null; do
            cpu=$(awk -v t="$ticks" '{ print int(($14 + $15) / t) }' /proc/$pid/stat 2>/dev/null || echo "$cpu")
            if [ "$cpu" -ge "$seconds" ] || [ $(($(date +%s) - started)) -ge "${FUZZ_WALL_SECONDS:-86400}" ]; then
                kill -INT $pid
            fi
            sleep 5
        done
        status=0; wait $pid || status=$?
        exec 9>&-
        echo "$t: $cpu s processor time, $(($(date +%s) - started)) s wall, exit $status" >>"$root/build/fuzz/logs/cpu.txt"
        # 72: interrupted at the budget, the normal end
        if [ "$status" != 0 ] && [ "$status" != 72 ]; then echo "fuzz $t: report in $log"; rc=1; fi
        ;;
    minimize)
        fresh=$(mktemp -d)
        "$bin/fuzz_$t" -merge=1 -max_len=4096 "$fresh" "$seeds" "$root/build/fuzz/corpus/$t" >/dev/null 2>&1
        rm -f "$seeds"/*
        ls -S "$fresh" | head -50 | while read -r f; do cp "$fresh/$f" "$seeds/"; done
        rm -rf "$fresh"
        echo "fuzz $t: $(ls "$seeds" | wc -l) seeds, $(cat "$seeds"/* | wc -c) bytes"
        ;;
    *) echo "usage: tools/fuzz.sh smoke|campaign SECONDS [TARGET...] | minimize [TARGET...]" >&2; exit 2 ;;
    esac
done
exit $rc
