#!/bin/sh
# The release archives as their users get them, checked. Usage: check-archives.sh DIST SOURCE
#   DIST    the folder with the two archives (make dist's dist/)
#   SOURCE  the source tree they were built from (for the stand-in and, where needed, a build)
# 1. Contents: the exact file lists, the licence in both, the Linux quick start, static Linux
#    programs and the C library the quick start states for the stand-in.
# 2. The Linux quick start's example, run as printed from the unpacked archive.
# 3. The Windows zip under Wine, in a prefix of its own: the zip's FraskPdfCmd.exe (32-bit, so
#    under WOW64) prints its usage text, and the zip's protect.cmd, run by Wine's cmd.exe against
#    the 32-bit stand-in, takes the right branch for a finished, an aborted and three failing
#    tasks. Three copies of protect.cmd with a batch author's typical mistakes must fail those
#    checks. When this machine cannot run 32-bit programs, that is said plainly and the same
#    batch checks run with the win64 build's FraskPdfCmd.exe and Acrobat.exe.
# Everything that starts Acrobat.exe runs under the tests' machine-wide lock.
set -eu
dist=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
jobs=${JOBS:-2}
lock=${ACROBAT_LOCK:-/tmp/ovs-acrobat.lock}
work=$(mktemp -d /tmp/fraskpdf-archives.XXXXXX)
failures=0
notes=""

pass() { echo "  ok    $1"; }
fail() {
    echo "  FAIL  $1" >&2
    failures=$((failures + 1))
}
check() { # description, then a command that must succeed
    description=$1
    shift
    if "$@" >/dev/null 2>&1; then pass "$description"; else fail "$description"; fi
}
# The Windows form of a host path (the Unix tree is drive Z:).
zpath() { printf 'Z:%s' "$1" | tr / '\\'; }

zip=$(ls "$dist"/FraskPdfCmd-*-win32.zip)
tarball=$(ls "$dist"/FraskPdfCmd-*-linux-x86_64.tar.gz)
name=$(basename "$zip" -win32.zip)

echo "=== contents"
expected_zip="$name-win32/FraskPdfCmd.exe
$name-win32/FraskPdfTasks.exe
$name-win32/LICENSE.txt
$name-win32/README.txt
$name-win32/protect.cmd"
check "the zip holds exactly the programs, README.txt, protect.cmd and LICENSE.txt" \
    test "$(unzip -Z1 "$zip" | LC_ALL=C sort)" = "$(printf '%s\n' "$expected_zip" | LC_ALL=C sort)"
expected_tar="$name-linux-x86_64/
$name-linux-x86_64/Acrobat-stand-in.md
$name-linux-x86_64/Acrobat.exe
$name-linux-x86_64/FraskPdfCmd
$name-linux-x86_64/FraskPdfTasks
$name-linux-x86_64/LICENSE
$name-linux-x86_64/README.md
$name-linux-x86_64/README.txt"
check "the tarball holds exactly the programs, README.txt, README.md, the stand-in's notes and LICENSE" \
    test "$(tar -tzf "$tarball" | LC_ALL=C sort)" = "$(printf '%s\n' "$expected_tar" | LC_ALL=C sort)"
windows="$work/zip dir"
linux="$work/linux dir"
mkdir -p "$windows" "$linux"
unzip -q "$zip" -d "$windows"
tar -xzf "$tarball" -C "$linux"
windows="$windows/$name-win32"
linux="$linux/$name-linux-x86_64"
for licence in "$windows/LICENSE.txt" "$linux/LICENSE"; do
    check "$(basename "$licence") is the MIT licence of the FraskPdfCmd developers" \
        sh -c 'grep -q "^MIT License" "$1" && grep -q "The FraskPdfCmd developers" "$1"' - "$licence"
done
check "README.txt of the zip has Windows line ends" sh -c '! grep -qv "$(printf "\r")\$" "$1"' - "$windows/README.txt"
check "protect.cmd has Windows line ends" sh -c '! grep -qv "$(printf "\r")\$" "$1"' - "$windows/protect.cmd"
for text in "FraskPdfTasks" "-folder:" "protect.cmd" "What the exit code does not tell you" "LICENSE.txt"; do
    check "README.txt of the zip mentions $text" grep -qF -- "$text" "$windows/README.txt"
done
for text in "FraskPdfCmd " "FraskPdfTasks " "Acrobat.exe " "XDG_CONFIG_HOME" "OVS_REGISTRY_DIR" "Example"; do
    check "README.txt of the tarball explains $text" grep -qF -- "$text" "$linux/README.txt"
done
for program in FraskPdfCmd FraskPdfTasks; do
    check "$program of the tarball is linked statically" sh -c '! readelf -d "$1" | grep -q NEEDED' - "$linux/$program"
done
needed=$(objdump -T "$linux/Acrobat.exe" | grep -o 'GLIBC_[0-9][0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1)
check "README.txt of the tarball states the glibc the stand-in needs ($needed)" \
    grep -qF "Acrobat.exe needs glibc $needed or later" "$linux/README.txt"

echo "=== the Linux quick start, as printed"
mkdir -p "$linux/docs"
cp "$source"/tools/demo/docs/*.pdf "$linux/docs/"
sed -n '/^From this folder, with the stand-in/,/^Exit codes/p' "$linux/README.txt" | sed -n 's/^  //p' \
    > "$work/quick-start.sh"
rc=0
(cd "$linux" && XDG_CONFIG_HOME="$work/linux config" OVS_ACROBAT_STOP_FILE="$work/linux-stop" \
    OVS_ACROBAT_LOG="$work/linux-acrobat.log" flock "$lock" sh -c \
    'sh -e "$1"; rc=$?; : > "$2"; for i in 1 2 3 4 5 6 7 8 9 10; do pgrep -x Acrobat.exe >/dev/null || break; sleep 0.5; done; exit $rc' \
    - "$work/quick-start.sh" "$work/linux-stop") > "$work/quick-start.out" 2>&1 || rc=$?
check "the example ran with exit 0 ($work/quick-start.out)" test "$rc" = 0
check "the example's task finished" grep -q '^Task finished at ' "$work/quick-start.out"
check "the example protected the three documents" \
    test "$(cd "$linux/protected" 2>/dev/null && ls | tr '\n' ' ')" = "brochure.pdf invoice.pdf manual.pdf "
check "the example's documents are encrypted" qpdf --is-encrypted "$linux/protected/invoice.pdf"

echo "=== the Windows zip under Wine"
loader=/usr/lib/wine/wine64
if [ ! -x "$loader" ]; then loader=$(command -v wine64 || command -v wine); fi
prefix="$work/wineprefix"
run_wine() {
    WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER="$loader" \
        "$loader" "$@"
}
run_wine wineboot -i >/dev/null 2>&1 || true
WINEPREFIX="$prefix" wineserver -w
roaming=$(ls -d "$prefix"/drive_c/users/*/AppData/Roaming 2>/dev/null | head -n 1)
if [ -z "$roaming" ]; then
    fail "Wine made a prefix with an application-data folder ($prefix)"
    exit 1
fi
tasks="$roaming/ORVA-SYSTEMS/Veilgard PDF"

# The zip's own program: 32-bit, so it runs under WOW64 or not at all.
probe_rc=0
run_wine "$windows/FraskPdfCmd.exe" > "$work/probe.out" 2>&1 || probe_rc=$?
WINEPREFIX="$prefix" wineserver -w
if grep -q "Command line tool for creating encrypted PDF files" "$work/probe.out"; then
    check "the zip's FraskPdfCmd.exe prints its usage and ends with 2001 (Wine passes on its low 8 bits)" \
        test "$probe_rc" = $((2001 % 256))
    programs="$windows"
    echo "--- building the 32-bit stand-in (win32 preset, Acrobat)"
    (cd "$source" && cmake --preset win32 >/dev/null && cmake --build --preset win32 -j "$jobs" --target Acrobat) \
        > "$work/win32-acrobat.log" 2>&1 || { fail "the 32-bit stand-in builds ($work/win32-acrobat.log)"; exit 1; }
    standin="$source/build/win32/bin/Acrobat.exe"
    target="x86 (the zip's FraskPdfCmd.exe under WOW64)"
else
    reason=$(grep -v '^$' "$work/probe.out" | head -n 1)
    echo "!!! 32-bit Windows programs cannot run on this machine: the zip's FraskPdfCmd.exe did not start"
    echo "!!! under Wine, which said: \"$reason\"."
    echo "!!! The x86 program is NOT checked. The batch checks below run with the win64 build's"
    echo "!!! FraskPdfCmd.exe and Acrobat.exe instead, so that protect.cmd itself is still proven."
    notes="x86: NOT CHECKED, 32-bit programs cannot run here ($reason)"
    echo "--- building the win64 programs (FraskPdfCmd, FraskPdfTasks, Acrobat)"
    (cd "$source" && cmake --preset win64 >/dev/null &&
        cmake --build --preset win64 -j "$jobs" --target FraskPdfCmd FraskPdfTasks Acrobat) \
        > "$work/win64-build.log" 2>&1 || { fail "the win64 programs build ($work/win64-build.log)"; exit 1; }
    programs="$work/win64 programs"
    mkdir -p "$programs"
    cp "$source/build/win64/bin/FraskPdfCmd.exe" "$source/build/win64/bin/FraskPdfTasks.exe" "$programs/"
    cp "$windows/protect.cmd" "$programs/"
    standin="$source/build/win64/bin/Acrobat.exe"
    target="x64 (the win64 build, in place of the zip's x86 program)"
    rc=0
    run_wine "$programs/FraskPdfCmd.exe" > "$work/probe.out" 2>&1 || rc=$?
    check "FraskPdfCmd.exe prints its usage and ends with 2001 (Wine passes on its low 8 bits)" \
        sh -c 'grep -q "Command line tool for creating encrypted PDF files" "$1" && test "$2" = 209' - "$work/probe.out" "$rc"
fi

mkdir -p "$work/in dir"
cp "$source"/tools/demo/docs/*.pdf "$work/in dir/"
app_paths='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Acrobat.exe'
# Runs the batch file of folder with the documents of "in dir" into "out dir", the stand-in
# playing behaviour (or, for "missing", no Acrobat registered at all). Prints the batch file's
# exit code and the lines it printed into $work/run.out.
run_batch() {
    folder=$1
    behaviour=$2
    rm -rf "$work/out dir" "$work/stop" "$tasks"
    mkdir -p "$work/out dir"
    for view in 32 64; do
        if [ "$behaviour" = missing ]; then
            run_wine reg delete "$app_paths" /f /reg:$view >/dev/null 2>&1 || true
        else
            run_wine reg add "$app_paths" /ve /d "$(zpath "$standin")" /f /reg:$view >/dev/null 2>&1
        fi
    done
    printf '@echo off\r\ncd /d "%s"\r\ncmd /c protect.cmd "%s\\*.pdf" "%s"\r\necho EXITCODE=%%ERRORLEVEL%%\r\n' \
        "$(zpath "$folder")" "$(zpath "$work/in dir")" "$(zpath "$work/out dir")" > "$work/driver.cmd"
    OVS_ACROBAT_BEHAVIOUR=$behaviour OVS_ACROBAT_STOP_FILE=$(zpath "$work/stop") OVS_ACROBAT_IDLE_EXIT_S=120 \
        OVS_ACROBAT_LOG=$(zpath "$work/acrobat.log") timeout 180 \
        sh -c 'WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINELOADER="$2" "$2" cmd /c "$3"' - \
        "$prefix" "$loader" "$(zpath "$work/driver.cmd")" > "$work/run.out" 2>&1 || true
    : > "$work/stop"
    timeout 30 env WINEPREFIX="$prefix" wineserver -w || WINEPREFIX="$prefix" wineserver -k
    tr -d '\r' < "$work/run.out" > "$work/run.txt"
}
# One scenario: behaviour, the exit code and a line the batch file must give, and whether the
# three documents must land in "out dir". Returns non-zero when anything differs.
scenario() {
    folder=$1 behaviour=$2 code=$3 line=$4 outputs=$5
    run_batch "$folder" "$behaviour"
    grep -qx "EXITCODE=$code" "$work/run.txt" || return 1
    grep -qxF -- "$line" "$work/run.txt" || return 1
    if [ "$outputs" = yes ]; then
        test "$(cd "$work/out dir" && ls | tr '\n' ' ')" = "brochure.pdf invoice.pdf manual.pdf " || return 1
    fi
    return 0
}
finished() { scenario "$1" process 0 "All documents protected." yes; }
aborted() { scenario "$1" abort 1 "The plug-in aborted the task: the documents were NOT protected." no; }
refused() { scenario "$1" fail:3505 3505 "The plug-in could not protect the documents: error 3505 (the OV line above shows its" no; }
large() { scenario "$1" fail:2147483649 -2147483647 "The plug-in could not protect the documents: error -2147483647 (the OV line above shows its" no; }
missing() { scenario "$1" missing 3002 "Acrobat could not be started: check its installation (App Paths registry key)." no; }

exec 9>"$lock"
flock 9
echo "--- protect.cmd with $target"
for case in finished aborted refused large missing; do
    if "$case" "$programs"; then
        pass "protect.cmd, $case task: its branch and exit code"
    else
        fail "protect.cmd, $case task: its branch and exit code ($work/$case.txt)"
    fi
    cp "$work/run.txt" "$work/$case.txt"
done
# A batch author's mistakes, each in a copy of protect.cmd in a folder with a blank: the case
# that shows it must fail.
mutant() {
    description=$1 expression=$2 case=$3
    mistakes=$((mistakes + 1))
    folder="$work/mistake $mistakes"
    mkdir -p "$folder"
    cp "$programs/FraskPdfCmd.exe" "$programs/FraskPdfTasks.exe" "$folder/"
    sed "$expression" "$programs/protect.cmd" > "$folder/protect.cmd"
    if cmp -s "$programs/protect.cmd" "$folder/protect.cmd"; then
        fail "mistake '$description' could not be made: protect.cmd changed"
    elif "$case" "$folder"; then
        fail "mistake '$description' went unnoticed by the $case case"
    else
        pass "mistake '$description' fails the $case case"
    fi
}
mistakes=0
mutant "IF ERRORLEVEL tests in rising order" 's/^if %RESULT% LSS 0 goto plugin_error/if errorlevel 0 goto ended\r\n&/' missing
mutant "output and input paths unquoted" 's/"-o:%~2" "-i:%~1"/-o:%~2 -i:%~1/' finished
mutant "the tool's path unquoted" 's/^"%TOOL%" -startacrobat/%TOOL% -startacrobat/' finished
flock -u 9
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true

echo "=== summary"
if [ -n "$notes" ]; then
    echo "$notes"
fi
if [ "$failures" = 0 ]; then
    rm -rf "$work"
    echo "The archives passed every check that could run here."
    exit 0
fi
echo "$failures check(s) failed; the files are kept in $work." >&2
exit 1
