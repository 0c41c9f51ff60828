#!/bin/bash
# `make bench`: builds the native release (and, for the Wine comparison of P5, the one
# portable bench for win64), measures P1..P7 each beside its anchor in the same run, checks
# every result (files left, values read, bytes saved) and prints one table.
# Whole-process pairs are timed with hyperfine (median of several runs); in-process figures
# come from the bench programs of this folder, each printing one "P<n> key=value..." line.
set -u
cd "$(dirname "$0")/.."
ROOT=$PWD
BIN=$ROOT/build/native-release/bin
WORK=$(mktemp -d "${TMPDIR:-/tmp}/ovs-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
RUNS=${BENCH_RUNS:-7}
TASKS=10000

log() { echo "$*" >&2; }

build() {
    log "=== building native-release"
    cmake --preset native-release -DOVS_BUILD_TESTS=ON >/dev/null && cmake --build --preset native-release -j2 \
        --target FraskPdfCmd ProfileReadBench TaskIdBench ProfilingIniBench ClearFloor >&2 || exit 1
    cmake --build --preset native-release -j2 --target ProfilingIniVsSimpleIni >&2 ||
        log "ProfilingIniVsSimpleIni not built (SimpleIni or ICU missing): P4 has no line"
    log "=== building ProfileReadBench for win64"
    WIN64_OK=0
    cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 --target ProfileReadBench >&2 && WIN64_OK=1
}

# Makes a task folder under $1 (the application-data folder) holding $2 task files as the
# tool and the plug-in write them; with $3 = half, every second one is Finished.
make_tasks() {
    local folder="$1/ORVA-SYSTEMS/Veilgard PDF" i state
    rm -rf "$1"; mkdir -p "$folder"
    for ((i = 0; i < $2; i++)); do
        state=Accepted
        if [ "${3:-}" = half ] && ((i % 2 == 0)); then state=Finished; fi
        printf '[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\nDescription=ORVA Frask Pdf Task File\r\nVersion=1.00\r\nEncoding=UTF-8\r\n[Task]\r\nId=%d\r\nState=%s\r\nMajorVersion=21\r\nMinorVersion=2\r\n[Parameter]\r\ni=Z:\\home\\user\\in\\*.pdf\r\no=Z:\\home\\user\\out\r\n' \
            "$i" "$state" >"$folder/Task$i.ovc"
    done
    # Task files are finished a while before anyone clears them.
    sleep 0.2
}

# Median run time in milliseconds of each command, from hyperfine's CSV export (column 4).
# Usage: medians PREPARE CMD1 CMD2 -> prints "ms1 ms2".
medians() {
    local prepare="$1"; shift
    local csv="$WORK/hf.csv"
    local args=(--runs "$RUNS" --style none --export-csv "$csv")
    if [ -n "$prepare" ]; then args+=(--prepare "$prepare"); else args+=(--warmup 5 -N); fi
    hyperfine "${args[@]}" "$@" >/dev/null 2>"$WORK/hf.err" || { cat "$WORK/hf.err" >&2; echo "-1 -1"; return; }
    awk -F, 'NR > 1 { printf "%s%.3f", (NR > 2 ? " " : ""), $4 * 1000 } END { print "" }' "$csv"
}

count_tasks() { find "$1/ORVA-SYSTEMS/Veilgard PDF" -maxdepth 1 -name 'Task*.ovc' | wc -l; }
count_finished() { grep -l '^State=Finished' "$1/ORVA-SYSTEMS/Veilgard PDF"/Task*.ovc 2>/dev/null | wc -l; }

ROWS=()
# row NAME WORK OURS ANCHOR RATIO TARGET VERDICT
row() { ROWS+=("$(printf '| %-3s | %-44s | %12s | %12s | %7s | %-26s | %s |' "$@")"); }
verdict() { awk -v v="$1" -v op="$2" -v t="$3" 'BEGIN { ok = (v >= 0) && (op == "<=" ? v <= t : v >= t); print ok ? "PASS" : "FAIL" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a < 0 || b <= 0) print "-1"; else printf "%.2f", a / b }'; }
field() { sed -n "s/.*\b$2=\([^ ]*\).*/\1/p" <<<"$1"; }

p1() {
    local home="$WORK/p1"
    mkdir -p "$home/ORVA-SYSTEMS/Veilgard PDF"
    local out; out=$(XDG_CONFIG_HOME="$home" "$BIN/FraskPdfCmd" -clear:ALL)
    local m; m=$(XDG_CONFIG_HOME="$home" medians "" "$BIN/FraskPdfCmd -clear:ALL" /bin/true)
    local ours=${m% *} anchor=${m#* } r v
    r=$(ratio "$ours" "$anchor")
    v=$(verdict "$r" "<=" 1.8)
    grep -q '^Clearing old task files (ALL)$' <<<"$out" || v="FAIL (output)"
    row P1 "clear ALL, empty task folder (ms)" "$ours" "$anchor" "$r" "<= 1.8 x /bin/true" "$v"
}

# P2 and P3: clear 10,000 task files; $1 = ALL or FINISHED.
clear_pair() {
    local mode=$1 home="$WORK/clear" half="" anchor_cmd
    local folder="$home/ORVA-SYSTEMS/Veilgard PDF"
    if [ "$mode" = FINISHED ]; then
        half=half
        anchor_cmd="cd '$folder' && grep -l '^State=Finished' Task*.ovc | xargs rm"
    else
        anchor_cmd="find '$folder' -maxdepth 1 -name 'Task*.ovc' -delete"
    fi
    local prepare="bash '$ROOT/bench/run.sh' make-tasks '$home' $TASKS $half"
    # ALL is also timed beside its floor (ClearFloor.cpp), the third figure.
    local floor=()
    [ "$mode" = ALL ] && floor=("'$BIN/ClearFloor' '$folder'")
    local m; m=$(XDG_CONFIG_HOME="$home" medians "$prepare" "'$BIN/FraskPdfCmd' -clear:$mode" "$anchor_cmd" "${floor[@]}")
    # The result of each side, checked once more outside the timing.
    local want_left=0 ok=1 removed
    [ "$mode" = FINISHED ] && want_left=$((TASKS / 2))
    make_tasks "$home" $TASKS $half
    removed=$(XDG_CONFIG_HOME="$home" "$BIN/FraskPdfCmd" -clear:$mode | grep -c '^Removed file ')
    [ "$(count_tasks "$home")" = $want_left ] && [ "$(count_finished "$home")" = 0 ] && [ "$removed" = $((TASKS - want_left)) ] || ok=0
    make_tasks "$home" $TASKS $half
    bash -c "$anchor_cmd"
    [ "$(count_tasks "$home")" = $want_left ] && [ "$(count_finished "$home")" = 0 ] || ok=0
    if [ "$mode" = ALL ]; then
        make_tasks "$home" $TASKS
        "$BIN/ClearFloor" "$folder" >/dev/null && [ "$(count_tasks "$home")" = 0 ] || ok=0
    fi
    PEAK_HOME=$home
    echo "$m $ok"
}

# A correct ALL clear reads each file's head before it deletes it, so P2 is held to the floor
# of that work (ClearFloor: the same system calls per file, no framework), not to find -delete,
# which makes one call per file; the ratio to find -delete is printed beside it for reference.
p2() {
    local res ours anchor floor ok r v target=1.15
    res=$(clear_pair ALL); read -r ours anchor floor ok <<<"$res"
    r=$(ratio "$ours" "$floor"); v=$(verdict "$r" "<=" $target); [ "$ok" = 1 ] || v="FAIL (files left)"
    row P2 "clear ALL of 10,000 task files (ms)" "$ours" "$floor" "$r" "<= $target x ClearFloor" "$v"
    FLOOR_NOTE="P2 anchor ClearFloor (open, fstat, read, close, unlink and one flushed line per file): $floor ms = $(ratio "$floor" "$anchor") x find -delete ($anchor ms); ours = $(ratio "$ours" "$anchor") x find -delete"
}

p3() {
    local res ours anchor ok r v target=1.3
    res=$(clear_pair FINISHED); read -r ours anchor ok <<<"$res"
    r=$(ratio "$ours" "$anchor"); v=$(verdict "$r" "<=" $target); [ "$ok" = 1 ] || v="FAIL (files left)"
    row P3 "clear FINISHED, 10,000 files, half (ms)" "$ours" "$anchor" "$r" "<= $target x grep|xargs rm" "$v"
}

p4() {
    local line ours anchor r peak v
    line=$("$BIN/ProfilingIniVsSimpleIni" 2>/dev/null | grep '^P4 ' | tail -1)
    if [ -z "$line" ]; then
        row P4 "INI store: load, change, save 100 MB (s)" "-" "-" "-" ">= 3x thr., peak <= 2x" "FAIL (no P4 line)"
        return
    fi
    ours=$(field "$line" ours_s); anchor=$(field "$line" simpleini_s); peak=$(field "$line" peak_ratio)
    r=$(ratio "$ours" "$anchor")
    v=$(awk -v r="$r" -v p="$peak" 'BEGIN { print (r >= 0 && r <= 1 / 3 && p <= 2) ? "PASS" : "FAIL" }')
    row P4 "INI store 100 MB (s; peak ${peak}x file)" "$ours" "$anchor" "$r" "<= 0.33 x, peak <= 2x" "$v"
}

p5() {
    local line ours anchor ok r v wine_line wine="n/a"
    line=$("$BIN/ProfileReadBench")
    ours=$(field "$line" profile_us); anchor=$(field "$line" open_read_close_us); ok=$(field "$line" ok)
    r=$(ratio "$ours" "$anchor"); v=$(verdict "$r" "<=" 1.0); [ "$ok" = 1 ] || v="FAIL (value)"
    if [ "$WIN64_OK" = 1 ]; then
        wine_line=$("$ROOT/cmake/wine-run.sh" "$ROOT/build/win64/wineprefix" "$ROOT/build/win64/bin/ProfileReadBench.exe" 1000 | tr -d '\r')
        WINEPREFIX="$ROOT/build/win64/wineprefix" wineserver -k 2>/dev/null
        [ "$(field "$wine_line" ok)" = 1 ] && wine="$(field "$wine_line" profile_us)"
    fi
    row P5 "GetPrivateProfileStringA, one entry (us)" "$ours" "$anchor" "$r" "<= 1.0 x open+read+close" "$v"
    WINE_NOTE="P5 under Wine, same source (win64): GetPrivateProfileStringA $wine us per call ($wine_line)"
}

p6() {
    local line refusal create ok v
    line=$("$BIN/TaskIdBench" 2>/dev/null | grep '^P6 ')
    refusal=$(field "$line" refusal_ms); create=$(field "$line" create_ms); ok=$(field "$line" ok)
    v=$(awk -v a="$refusal" -v b="$create" -v ok="$ok" 'BEGIN { print (ok == 1 && a >= 0 && a <= 50 && b >= 0 && b <= 10) ? "PASS" : "FAIL" }')
    row P6 "all 10,000 names taken: refusal (ms)" "$refusal" "-" "-" "<= 50 ms" "$v"
    row "" "9,990 taken: task created (ms)" "$create" "-" "-" "<= 10 ms" ""
}

p7() {
    local empty="$WORK/p7" full="$WORK/p7full" a b peak v
    mkdir -p "$empty/ORVA-SYSTEMS/Veilgard PDF"
    a=$(XDG_CONFIG_HOME="$empty" /usr/bin/time -f %M "$BIN/FraskPdfCmd" -clear:ALL 2>&1 >/dev/null | tail -1)
    make_tasks "$full" $TASKS half
    b=$(XDG_CONFIG_HOME="$full" /usr/bin/time -f %M "$BIN/FraskPdfCmd" -clear:FINISHED 2>&1 >/dev/null | tail -1)
    peak=$((a > b ? a : b))
    v=$(verdict "$peak" "<=" 4096)
    row P7 "peak memory of a run (KiB; max of P1, P3)" "$peak" "-" "-" "<= 4096 KiB" "$v"
}

if [ "${1:-}" = make-tasks ]; then
    make_tasks "$2" "$3" "${4:-}"
    exit 0
fi

# BENCH_ONLY="p2 p3" measures just those (native release only; no Wine build for P5 then).
WINE_NOTE=""
FLOOR_NOTE=""
if [ -n "${BENCH_ONLY:-}" ]; then
    cmake --build --preset native-release -j2 --target FraskPdfCmd ProfileReadBench TaskIdBench ProfilingIniBench \
        ClearFloor >&2 || exit 1
    for p in $BENCH_ONLY; do "$p"; done
else
    build
    p1; p2; p3; p4; p5; p6; p7
fi
echo
printf '| %-3s | %-44s | %12s | %12s | %7s | %-26s | %s |\n' "#" "Work" "Ours" "Anchor" "Ratio" "Target" "Result"
printf '|-----|----------------------------------------------|--------------|--------------|---------|----------------------------|-------|\n'
printf '%s\n' "${ROWS[@]}"
echo "$FLOOR_NOTE"
echo "$WINE_NOTE"
echo "Anchors: P1 /bin/true; P2 ClearFloor (find -maxdepth 1 -name 'Task*.ovc' -delete for reference); P3 grep -l '^State=Finished' Task*.ovc | xargs rm;"
echo "P4 SimpleIni (from the P4 bench); P5 CreateFileA + ReadFile + CloseHandle of the same file. Medians of $RUNS runs."
