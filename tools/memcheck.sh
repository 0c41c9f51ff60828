#!/bin/sh
# make memcheck: one protection job of the release tool (build/native-release) under valgrind
# memcheck, against the plug-in stand-in, which the tool starts itself (valgrind does not follow
# it). Private task folder, registry and documents in build/memcheck; the stand-in is stopped
# afterwards whatever happens. Runs under the machine-wide Acrobat lock (ACROBAT_LOCK).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
lock=${ACROBAT_LOCK:-/tmp/ovs-acrobat.lock}
[ -w "$(dirname "$lock")" ] || lock="$root/build/acrobat.lock"
if [ -z "${MEMCHECK_LOCKED:-}" ]; then
    MEMCHECK_LOCKED=1 exec flock "$lock" "$0" "$@"
fi
bin="$root/build/native-release/bin"
work="$root/build/memcheck"
for program in FraskPdfCmd Acrobat.exe; do
    [ -x "$bin/$program" ] || { echo "make memcheck: $bin/$program is missing" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work/config" "$work/registry" "$work/in" "$work/out"
cp "$root"/tools/demo/docs/*.pdf "$work/in/"
export XDG_CONFIG_HOME="$work/config" OVS_REGISTRY_DIR="$work/registry" OVS_ACROBAT_LOG="$work/acrobat.log"
export OVS_ACROBAT_STOP_FILE="$work/stop-acrobat" OVS_ACROBAT_IDLE_EXIT_S=120
zpath() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
acrobat=$(zpath "$bin/Acrobat.exe" | sed 's|\\|\\\\|g')
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe]\r\n@="%s"\r\n\r\n' \
    "$acrobat" > "$work/registry/HKEY_LOCAL_MACHINE.reg"

stop_acrobat() {
    : > "$work/stop-acrobat"
    pid=$(sed -n 's/^started \([0-9]*\).*/\1/p' "$work/acrobat.log" 2>/dev/null | tail -1)
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
        sleep 1
    done
    kill "$pid" 2>/dev/null || true
}
trap stop_acrobat EXIT

rc=0
valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --log-file="$work/valgrind.log" "$bin/FraskPdfCmd" -startacrobat -f:10 -p:13 -k:LS -perm:PRINT_HIGH,COPY \
    "-o:$(zpath "$work/out")" "-i:$(zpath "$work/in")\\*.pdf" >"$work/tool.log" 2>&1 || rc=$?
cat "$work/tool.log"
grep 'ERROR SUMMARY\|definitely lost\|indirectly lost' "$work/valgrind.log" | sed 's/^==[0-9]*== //'
outputs=$(ls "$work/out" | wc -l)
if [ "$rc" != 0 ] || [ "$outputs" != "$(ls "$work/in" | wc -l)" ]; then
    echo "make memcheck: FAILED (exit code $rc, $outputs protected documents; see $work/valgrind.log)"
    exit 1
fi
echo "make memcheck: no memcheck error, $outputs documents protected"
