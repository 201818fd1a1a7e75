#!/bin/sh
# The Windows build, tested under wine: builds build-windows/dolv.exe with
# mingw-w64, then runs the Windows end-to-end tests (a gtest program of the
# Linux build) against it. Without the cross compiler or wine it says so and
# passes. DOLV_LINUX_BUILD names the Linux build folder (default: build).
set -eu
cd "$(dirname "$0")/../.."
root=$(pwd)

if ! command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1; then
    echo "skipped: Windows tests (x86_64-w64-mingw32-g++ is not installed)"
    exit 0
fi
if ! command -v wine >/dev/null 2>&1 || ! command -v wineserver >/dev/null 2>&1; then
    echo "skipped: Windows tests (wine is not installed)"
    exit 0
fi

${MAKE:-make} --no-print-directory windows

# One static program: nothing but system DLLs beside it (advapi32 tells the
# journal's folder who owns it and who may write it).
dlls=$(x86_64-w64-mingw32-objdump -p build-windows/dolv.exe | sed -n 's/^[[:space:]]*DLL Name: //p')
for dll in $dlls; do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
        kernel32.dll | advapi32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
        *)
            echo "FAILED: dolv.exe needs $dll"
            exit 1
            ;;
    esac
done

linux_build=${DOLV_LINUX_BUILD:-build}
tests="$linux_build/tests/windows_e2e"
cmake --build "$linux_build" --target windows_e2e >/dev/null

# One wine prefix inside the build folder, made once (its first start takes
# some seconds), and one wine server kept up for all the tests.
# No run here keeps a journal (the /U test asks for its own).
DOLV_NO_JOURNAL=1
export DOLV_NO_JOURNAL
WINEPREFIX="$root/build-windows/wineprefix"
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the wine prefix $WINEPREFIX"
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
# (A server already running for this prefix is used as it is.)
wineserver -p 2>/dev/null || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT INT TERM

DOLV_WINDOWS_EXE="$root/build-windows/dolv.exe"
export DOLV_WINDOWS_EXE
"$tests"

# The zip that `make package` makes for Windows users.
sh tests/windows/zip_test.sh
