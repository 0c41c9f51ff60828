#!/bin/sh
# Prints the closing summary of `make test` from the native CTest JUnit file and the
# GoogleTest XML files written under Wine. Disabled tests (child-process scenarios that
# other tests start) are counted as skipped, never as passed.
build="${1:-build}"
attribute() { # file name -> value of that attribute of the <testsuites> root
    sed -n "s/.*<testsuites[^>]* $2=\"\([0-9]*\)\".*/\1/p" "$1" | head -n 1
}
native_pass=0; native_fail=0; native_skip=0
junit="$build/native/ctest-junit.xml"
if [ -f "$junit" ]; then
    native_pass=$(grep '<testcase ' "$junit" | grep -c 'status="run"')
    native_skip=$(grep '<testcase ' "$junit" | grep -c 'status="disabled"')
    native_fail=$(grep '<testcase ' "$junit" | grep -v -c -e 'status="run"' -e 'status="disabled"')
fi
wine_pass=0; wine_fail=0; wine_skip=0
for f in "$build"/win64/test-results/*.xml; do
    [ -f "$f" ] || continue
    t=$(attribute "$f" tests); fl=$(attribute "$f" failures); er=$(attribute "$f" errors)
    di=$(attribute "$f" disabled); sk=$(grep -c '<skipped' "$f")
    bad=$(( ${fl:-0} + ${er:-0} )); idle=$(( ${di:-0} + ${sk:-0} ))
    wine_fail=$((wine_fail + bad)); wine_skip=$((wine_skip + idle))
    wine_pass=$((wine_pass + ${t:-0} - bad - idle))
done
echo "native (Linux): $native_pass passed, $native_fail failed, $native_skip skipped"
echo "wine (Windows x64): $wine_pass passed, $wine_fail failed, $wine_skip skipped"
echo "total: $((native_pass + wine_pass)) passed, $((native_fail + wine_fail)) failed, $((native_skip + wine_skip)) skipped"
