#!/bin/sh
# Prints the closing summary of `make test` from the native CTest JUnit file and the
# GoogleTest XML files written under Wine.
build="${1:-build}"
count() { # file attribute -> sum of that attribute over <testsuites> roots
    [ -f "$1" ] || { echo 0; return; }
    sed -n "s/.*<testsuites[^>]* $2=\"\([0-9]*\)\".*/\1/p" "$1" | head -n 1
}
native_tests=0; native_fail=0
junit="$build/native/ctest-junit.xml"
if [ -f "$junit" ]; then
    # One <testcase> per native test; anything but status="run" (or "disabled") did not pass.
    native_tests=$(grep -c '<testcase ' "$junit")
    native_fail=$(grep '<testcase ' "$junit" | grep -v -c -e 'status="run"' -e 'status="disabled"')
fi
wine_tests=0; wine_fail=0
for f in "$build"/win64/test-results/*.xml; do
    [ -f "$f" ] || continue
    t=$(count "$f" tests); fl=$(count "$f" failures); er=$(count "$f" errors)
    wine_tests=$((wine_tests + ${t:-0})); wine_fail=$((wine_fail + ${fl:-0} + ${er:-0}))
done
native_tests=${native_tests:-0}; native_fail=${native_fail:-0}
echo "native (Linux): $((native_tests - native_fail)) passed, $native_fail failed"
echo "wine (Windows x64): $((wine_tests - wine_fail)) passed, $wine_fail failed"
echo "total: $((native_tests + wine_tests - native_fail - wine_fail)) passed, $((native_fail + wine_fail)) failed"
