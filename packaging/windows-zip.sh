#!/bin/sh
# The Windows zip: dolv-<version>-windows-x64.zip in the folder OUT, holding
# the stripped dolv.exe of the mingw-w64 build, README.txt for Windows users
# and the manual page as plain text, both with CR LF line ends. Without the
# cross compiler, zip or groff it says so and makes nothing.
#
#   sh packaging/windows-zip.sh OUT
set -eu
if [ $# -ne 1 ]; then
    echo "usage: sh packaging/windows-zip.sh OUT" >&2
    exit 2
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."

for tool in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-strip zip groff; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: the Windows zip ($tool is not installed)"
        exit 0
    fi
done

version=$(sed -n 's/^project(dolv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "windows-zip: no version in CMakeLists.txt" >&2; exit 1; }
${MAKE:-make} --no-print-directory windows >/dev/null

stage=$(mktemp -d "${TMPDIR:-/tmp}/dolv-zip.XXXXXX")
trap 'rm -rf "$stage"' EXIT
trap 'exit 130' INT TERM HUP
x86_64-w64-mingw32-strip -o "$stage/dolv.exe" build-windows/dolv.exe
# Plain UTF-8 text: no overstriking and no escape sequences.
sed 's/$/\r/' packaging/README-windows.txt >"$stage/README.txt"
groff -man -Tutf8 -P-cbou -rLL=78n doc/dolv.1 2>/dev/null | sed 's/$/\r/' >"$stage/dolv-manual.txt"

zip="$out/dolv-$version-windows-x64.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" dolv.exe README.txt dolv-manual.txt)
echo "$zip"
