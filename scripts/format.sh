#!/bin/sh
# Lays out every C++ file of the tree as .clang-format says.
#   scripts/format.sh          rewrite the files in place
#   scripts/format.sh --check  change nothing; list the files that would change, exit 1 if any
set -eu
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is not installed (apt-get install clang-format)" >&2; exit 2; }
files=$(git ls-files -- 'src/*.cpp' 'src/*.h' 'include/*.h' 'tools/*.cpp' 'tools/*.h' \
        'bench/*.cpp' 'bench/*.h' 'examples/*.cpp' 'examples/*.h' 'fuzz/*.cpp')
if [ "${1:-}" = "--check" ]; then
    status=0
    for f in $files; do
        if ! clang-format "$f" | cmp -s - "$f"; then echo "$f"; status=1; fi
    done
    exit $status
fi
clang-format -i $files
