#!/bin/sh
# make dist: the release archives of one commit, the same bytes on every build.
#   dist/FraskPdfCmd-<version>-win32.zip         the 32-bit Windows programs, README.txt, the batch
#                                                 example protect.cmd and LICENSE.txt
#   dist/FraskPdfCmd-<version>-linux-x86_64.tar.gz  the native release tool, inspector and stand-in,
#                                                 README.txt (a quick start), README.md and LICENSE
# each with a .sha256 file. The version is the file version CMake writes into Version.h; every
# time stamp is the commit's (SOURCE_DATE_EPOCH), owners are 0, names are sorted.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
jobs=${JOBS:-2}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH

echo "=== build win32 (FraskPdfCmd, FraskPdfTasks)"
cmake --preset win32 >/dev/null
version=$(sed -n 's/^#define OVS_FILE_VERSION_TEXT "\([0-9.]*\)"$/\1/p' build/win32/generated/Version.h)
if [ -z "$version" ]; then
    echo "make dist: build/win32/generated/Version.h holds no OVS_FILE_VERSION_TEXT" >&2
    exit 1
fi
cmake --build --preset win32 -j "$jobs" --target FraskPdfCmd FraskPdfTasks
echo "=== build native-release (FraskPdfCmd, FraskPdfTasks, Acrobat)"
cmake --preset native-release -DOVS_BUILD_TESTS=OFF >/dev/null
cmake --build --preset native-release -j "$jobs" --target FraskPdfCmd FraskPdfTasks Acrobat

name="FraskPdfCmd-$version"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
windows="$stage/$name-win32"
linux="$stage/$name-linux-x86_64"
mkdir -p "$windows" "$linux"
cp build/win32/bin/FraskPdfCmd.exe build/win32/bin/FraskPdfTasks.exe "$windows/"
sed 's/$/\r/' tools/dist/README-windows.txt > "$windows/README.txt"
sed 's/$/\r/' tools/dist/protect.cmd > "$windows/protect.cmd"
sed 's/$/\r/' LICENSE > "$windows/LICENSE.txt"
cp build/native-release/bin/FraskPdfCmd build/native-release/bin/FraskPdfTasks \
   build/native-release/bin/Acrobat.exe "$linux/"
strip "$linux/FraskPdfCmd" "$linux/FraskPdfTasks" "$linux/Acrobat.exe"
cp README.md "$linux/README.md"
cp LICENSE "$linux/LICENSE"
# The quick start states the C library the stand-in needs: the newest symbol version it uses.
glibc=$(objdump -T "$linux/Acrobat.exe" | grep -o 'GLIBC_[0-9][0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1)
sed "s/@GLIBC@/$glibc/" tools/dist/README-linux.txt > "$linux/README.txt"
cp tools/acrobat/README.md "$linux/Acrobat-stand-in.md"

# Modes and times independent of the umask and the clock.
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
chmod 755 "$windows"/*.exe "$linux/FraskPdfCmd" "$linux/FraskPdfTasks" "$linux/Acrobat.exe"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p dist
zip="dist/$name-win32.zip"
tarball="dist/$name-linux-x86_64.tar.gz"
rm -f "$zip" "$tarball" "$zip.sha256" "$tarball.sha256"
(cd "$stage" && find "$name-win32" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$root/$zip" -@)
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
    -C "$stage" -cf - "$name-linux-x86_64" | gzip -n -9 > "$tarball"
for archive in "$zip" "$tarball"; do
    (cd dist && sha256sum "$(basename "$archive")" > "$(basename "$archive").sha256")
    cat "$archive.sha256"
done
