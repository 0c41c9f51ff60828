#!/bin/sh
# make demo: one real protection job against the plug-in stand-in, in a private folder
# (./demo) so that the user's own task folder and registry stay untouched. The tool starts the
# stand-in itself (-startacrobat) through the App Paths value of a private registry.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/native/bin"
demo="$root/demo"
for program in FraskPdfCmd Acrobat.exe; do
    if [ ! -x "$bin/$program" ]; then
        echo "make demo: $bin/$program is missing; build the native preset first." >&2
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

stop_acrobat() {
    : > "$demo/stop-acrobat"
}
trap stop_acrobat EXIT

# Runs the tool from the repository's folder with relative paths, showing the command.
show() {
    echo
    printf '$ %s\n' "build/native/bin/FraskPdfCmd $*"
    rc=0
    (cd "$root" && "$bin/FraskPdfCmd" "$@") || rc=$?
    if [ "$rc" != 0 ]; then
        echo "(exit code $rc: a POSIX shell sees the message number modulo 256)"
    fi
}

echo "=== FraskPdfCmd demo: protecting three documents with the plug-in stand-in"
echo "Documents: $(cd "$demo/in" && echo *.pdf)   task folder: demo/config/ORVA-SYSTEMS/Veilgard PDF"
show -startacrobat -f:10 -p:13 -k:LS -perm:PRINT_HIGH,COPY '-o:demo\out' '-i:demo\in\*.pdf'

echo
echo "=== The task file the tool and the stand-in exchanged"
cat "$demo/config/ORVA-SYSTEMS/Veilgard PDF"/Task*.ovc | tr -d '\r'

echo
echo "=== The results in demo/out"
ls -l "$demo/out"
if command -v qpdf >/dev/null; then
    echo
    echo "=== What qpdf says about demo/out/invoice.pdf"
    qpdf --show-encryption "$demo/out/invoice.pdf" 2>&1 | grep -v '^R = \|^P = '
fi

echo
echo "=== Checking the permissions of a protected document (the plug-in refuses it)"
show -readpermissions '-i:demo\out\invoice.pdf'

echo
echo "=== Removing the finished task files"
show -clear:FINISHED

stop_acrobat
echo
echo "Done. The protected documents are in demo/out; the stand-in's log is demo/acrobat.log."
