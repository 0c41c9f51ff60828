#!/bin/sh
# make dist-check: builds the release archives twice, from two fresh clones of the current
# commit in two different folders, and compares them byte for byte; then checks the archives
# as their users get them (check-archives.sh: contents, the Linux quick start, the Windows zip
# and its batch example under Wine). Uncommitted changes are not part of the check. Takes
# several minutes (two builds of win32 and native-release, the stand-in for Windows);
# CCACHE_DISABLE=1 makes both builds compile everything.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
commit=$(git -C "$root" rev-parse HEAD)
work=$(mktemp -d /tmp/fraskpdf-dist-check.XXXXXX)
for side in first second-build; do
    git clone -q "$root" "$work/$side"
    git -C "$work/$side" checkout -q "$commit"
    echo "=== make dist in $work/$side"
    if ! (cd "$work/$side" && sh tools/dist/make-dist.sh > "$work/$side.log" 2>&1); then
        echo "make dist-check: the build in $work/$side failed, see $work/$side.log" >&2
        exit 1
    fi
done
rc=0
for file in $(cd "$work/first/dist" && ls); do
    if cmp -s "$work/first/dist/$file" "$work/second-build/dist/$file"; then
        echo "same: $file"
    else
        echo "DIFFERENT: $file" >&2
        rc=1
    fi
done
cat "$work/first/dist"/*.sha256
echo "=== the archives as their users get them"
JOBS=${JOBS:-2} sh "$root/tools/dist/check-archives.sh" "$work/first/dist" "$work/first" || rc=1
if [ "$rc" = 0 ]; then
    rm -rf "$work"
    echo "Both builds of $commit gave the same bytes, and the archives passed their checks."
else
    echo "The two builds are kept in $work (diffoscope helps to compare them)." >&2
fi
exit $rc
