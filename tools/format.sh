#!/bin/sh
# Formats every C++ source of the project with the repository's .clang-format.
#   tools/format.sh          rewrites the files in place
#   tools/format.sh --check  changes nothing; lists the files that differ and fails if any does
# Tables that read better as written are fenced with "// clang-format off" / "// clang-format on".
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.inc')
if [ "${1:-}" = --check ]; then
    bad=""
    for f in $files; do
        clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad="$bad $f"
    done
    if [ -n "$bad" ]; then
        echo "Not formatted (run tools/format.sh):"
        for f in $bad; do echo "  $f"; done
        exit 1
    fi
    echo "format: $(echo "$files" | wc -l) files formatted"
else
    echo "$files" | xargs clang-format -i
fi
