#!/bin/sh
# Checks that every C and C++ source is laid out as .clang-format says:
#   sh tests/format_check.sh          names the files that differ, and fails
#   sh tests/format_check.sh --fix    lays them out (make format)
# Without clang-format it says so and passes.
set -u
cd "$(dirname "$0")/.."
tool=${CLANG_FORMAT:-clang-format}
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: the layout check ($tool is not installed)"
    exit 0
fi
files=$(find src tests bench \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) \
    -not -path 'tests/fuzz/corpus/*' | sort)
if [ "${1:-}" = "--fix" ]; then
    # shellcheck disable=SC2086
    "$tool" -i $files
    exit 0
fi
# One run over all files: each place that differs is named on standard error.
# shellcheck disable=SC2086
bad=$("$tool" --dry-run --Werror $files 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
    echo "FAILED: not laid out as .clang-format says (make format fixes it):"
    for f in $bad; do echo "  $f"; done
    exit 1
fi
echo "layout: $(echo "$files" | wc -l) files as .clang-format says"
