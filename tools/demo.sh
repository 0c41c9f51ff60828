#!/bin/sh
# make demo: one real protection job against the plug-in stand-in, in a private folder
# (./demo) so that the user's own task folder and registry stay untouched. The tool starts the
# stand-in itself (-startacrobat) through the App Paths value of a private registry.
#
# The tool finds Acrobat by process name, machine-wide, as the tests do: the demo runs under the
# tests' lock, and its stand-in has ended (or been killed) when the lock is given back.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
lock=${ACROBAT_LOCK:-/tmp/ovs-acrobat.lock}
if [ -z "${OVS_DEMO_LOCKED:-}" ]; then
    export OVS_DEMO_LOCKED=1
    if ! flock -n "$lock" true; then
        echo "make demo: waiting for $lock (a test run or another demo holds it)"
    fi
    exec flock "$lock" sh "$0" "$@"
fi
preset=${OVS_DEMO_PRESET:-native-release}
bin="$root/build/$preset/bin"
demo="$root/demo"
for program in FraskPdfCmd FraskPdfTasks Acrobat.exe; do
    if [ ! -x "$bin/$program" ]; then
        echo "make demo: $bin/$program is missing; build the $preset preset first." >&2
        exit 1
    fi
done

rm -rf "$demo"
mkdir -p "$demo/config" "$demo/registry" "$demo/in" "$demo/out"
cp "$root"/tools/demo/docs/*.pdf "$demo/in/"

# The private task folder, registry and stand-in script, inherited by the stand-in that the
# tool starts.
export XDG_CONFIG_HOME="$demo/config"
export OVS_REGISTRY_DIR="$demo/registry"
export OVS_ACROBAT_LOG="$demo/acrobat.log"
export OVS_ACROBAT_STOP_FILE="$demo/stop-acrobat"
export OVS_ACROBAT_DOCUMENT_MS=1500
export OVS_ACROBAT_IDLE_EXIT_S=600
# The tool reads paths in their Windows form: the Unix tree is drive Z:, and "/" would start
# an option.
zpath() {
    printf 'Z:%s' "$1" | sed 's|/|\\|g'
}
acrobat=$(zpath "$bin/Acrobat.exe" | sed 's|\\|\\\\|g')
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Acrobat.exe]\r\n@="%s"\r\n\r\n' \
    "$acrobat" > "$demo/registry/HKEY_LOCAL_MACHINE.reg"

# Asks the stand-in to end (it looks for the stop file every 100 ms) and waits, at most
# stop_wait seconds, until every stand-in the demo started has ended; one that has not is
# killed, and the demo says so. A process that has ended but not yet been reaped counts as
# ended, as it does for the tool.
stop_wait=10
running() {
    [ -r "/proc/$1/stat" ] && ! sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | grep -q '^[ZX]'
}
stop_acrobat() {
    : > "$demo/stop-acrobat"
    pids=$(sed -n 's/^started \([0-9][0-9]*\).*/\1/p' "$demo/acrobat.log" 2>/dev/null || true)
    for pid in $pids; do
        tries=0
        while running "$pid" && [ "$tries" -lt $((stop_wait * 10)) ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        if running "$pid"; then
            kill -9 "$pid" 2>/dev/null || true
            echo "make demo: the stand-in (process $pid) did not end within ${stop_wait} s of its stop file; killed it."
        fi
    done
}
trap stop_acrobat EXIT

# Runs the tool from the repository's folder with relative paths, showing the command.
show() {
    echo
    program=$1
    shift
    printf '$ %s\n' "build/$preset/bin/$program $*"
    rc=0
    (cd "$root" && "$bin/$program" "$@") || rc=$?
    if [ "$rc" != 0 ]; then
        echo "(exit code $rc: a POSIX shell sees the message number modulo 256)"
    fi
}

echo "=== FraskPdfCmd demo: protecting three documents with the plug-in stand-in"
echo "Documents: $(cd "$demo/in" && echo *.pdf)   task folder: demo/config/ORVA-SYSTEMS/Veilgard PDF"
show FraskPdfCmd -startacrobat -f:10 -p:13 -k:LS -perm:PRINT_HIGH,COPY '-o:demo\out' '-i:demo\in\*.pdf'

echo
echo "=== The task file the tool and the stand-in exchanged"
cat "$demo/config/ORVA-SYSTEMS/Veilgard PDF"/Task*.ovc | tr -d '\r'

echo
echo "=== The task folder as the inspector lists it"
show FraskPdfTasks

echo
echo "=== The documents before (demo/in) and after (demo/out), as qpdf reads them"
# One row per document and side: encrypted, and the print, modify and extract permissions.
permissions() {
    qpdf --show-encryption "$1" 2>/dev/null | tr -d '\r' | awk -F': ' '
        /^File is not encrypted/ { plain = 1 }
        $1 == "print high resolution" && $2 == "allowed" { print_ = "high" }
        $1 == "print low resolution" && $2 == "allowed" && print_ == "" { print_ = "low" }
        $1 == "modify anything" && $2 == "allowed" { modify = "all" }
        $1 == "modify annotations" && $2 == "allowed" && modify == "" { modify = "annotate" }
        $1 == "modify forms" && $2 == "allowed" && modify == "" { modify = "form" }
        $1 == "modify document assembly" && $2 == "allowed" && modify == "" { modify = "assembly" }
        $1 == "extract for any purpose" { extract = ($2 == "allowed") ? "yes" : "no" }
        END {
            if (plain) { printf "%-9s  %-5s  %-8s  %s", "no", "all", "all", "yes" }
            else { printf "%-9s  %-5s  %-8s  %s", "yes", print_ == "" ? "none" : print_,
                          modify == "" ? "none" : modify, extract }
        }'
}
printf '%-14s  %-6s  %-9s  %-5s  %-8s  %s\n' document side encrypted print modify extract
for document in "$demo"/in/*.pdf; do
    name=$(basename "$document")
    printf '%-14s  %-6s  %s\n' "$name" before "$(permissions "$document")"
    printf '%-14s  %-6s  %s\n' "" after "$(permissions "$demo/out/$name")"
done
echo "(PRINT_HIGH,COPY asked for: print high, no changes, extraction allowed; the stand-in checked"
echo " every output the same way, see demo/acrobat.log)"
grep '^checked \|^check of ' "$demo/acrobat.log" || true

echo
echo "=== Checking the permissions of a protected document (the plug-in refuses it)"
show FraskPdfCmd -readpermissions '-i:demo\out\invoice.pdf'

echo
echo "=== Removing the finished task files"
show FraskPdfCmd -clear:FINISHED

stop_acrobat
trap - EXIT
echo
echo "The stand-in has ended."
echo "Done. The protected documents are in demo/out; the stand-in's log is demo/acrobat.log."
