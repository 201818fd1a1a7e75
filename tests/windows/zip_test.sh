#!/bin/sh
# The Windows zip as a user gets it: made by packaging/windows-zip.sh,
# unpacked, it holds the three files, its texts have CR LF line ends, and
# its program has no symbols and renames a file under wine. Called by run.sh
# with the wine prefix set up; needs unzip.
set -eu
# The program keeps no journal of the rename it is tried with.
DOLV_NO_JOURNAL=1
export DOLV_NO_JOURNAL
cd "$(dirname "$0")/../.."
if ! command -v unzip >/dev/null 2>&1 || ! command -v zip >/dev/null 2>&1; then
    echo "skipped: the Windows zip test (zip or unzip is not installed)"
    exit 0
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/dolv-zip-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAILED: the Windows zip: $*"
    exit 1
}

sh packaging/windows-zip.sh "$scratch/out" >/dev/null
version=$(sed -n 's/^project(dolv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="$scratch/out/dolv-$version-windows-x64.zip"
[ -f "$zip" ] || fail "no $(basename "$zip")"
unzip -q "$zip" -d "$scratch/unpacked"
files=$(cd "$scratch/unpacked" && ls | tr '\n' ' ')
[ "$files" = "README.txt dolv-manual.txt dolv.exe " ] || fail "it holds $files"

cr=$(printf '\r')
for text in README.txt dolv-manual.txt; do
    path="$scratch/unpacked/$text"
    [ -s "$path" ] || fail "$text is empty"
    if grep -q -v "$cr\$" "$path"; then fail "$text has lines without CR LF"; fi
done
grep -q "PowerShell" "$scratch/unpacked/README.txt" || fail "README.txt says nothing of PowerShell"
grep -q "SYNOPSIS" "$scratch/unpacked/dolv-manual.txt" || fail "dolv-manual.txt is not the manual"
if ! x86_64-w64-mingw32-nm "$scratch/unpacked/dolv.exe" 2>&1 | grep -q "no symbols"; then
    fail "dolv.exe carries symbols"
fi

# The unpacked program at work: the help screen, then one rename.
exe="$scratch/unpacked/dolv.exe"
mkdir "$scratch/run"
cd "$scratch/run"
status=0
help=$(printf x | wine "$exe" '/?' 2>/dev/null) || status=$?
[ "$status" -eq 1 ] || fail "the help screen ended with $status"
case $help in
*"Versione "*) ;;
*) fail "no help screen: $help" ;;
esac
echo sample >a.txt
status=0
wine "$exe" a.txt b.txt </dev/null >/dev/null 2>&1 || status=$?
[ "$status" -eq 0 ] && [ -f b.txt ] && [ ! -f a.txt ] || fail "a.txt was not renamed (status $status)"
echo "passed: the Windows zip"
