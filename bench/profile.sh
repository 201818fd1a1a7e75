#!/bin/sh
# Instruction counts per renamed file, by valgrind's callgrind, for the floor
# program and the four DOLV runs of the benchmark, on N files in tmpfs
# (default 10000), with the functions that cost most. As in bench/run.sh,
# the journal is off but for dolv-journal, whose state folder lies beside
# the files.
#   sh bench/profile.sh [N]
# The callgrind files stay in build-bench/profile/ for callgrind_annotate.
set -u

n=${1:-10000}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DOLV_BENCH_BUILD:-$root/build-bench}
command -v valgrind >/dev/null 2>&1 || { echo "profile: valgrind not found"; exit 1; }
cmake -S "$root/bench" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$build" --target floor benchtool dolv -j 2 >/dev/null || exit 1
tool=$build/benchtool
out=$build/profile
mkdir -p "$out"
scratch=${DOLV_BENCH_SHM:-/dev/shm/dolv-profile-$$}
mkdir -p "$scratch" || exit 1
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM HUP PIPE
"$tool" fill "$scratch/files" "$n" || exit 1

# profile NAME STDOUT CMD...: one run under callgrind inside the scratch
# folder, its standard output to the file STDOUT; dolv-journal with its
# journal on.
profile() {
    name=$1 stdout=$2
    shift 2
    "$tool" reset "$scratch/files" "$n" || exit 1
    rm -f "$scratch/out.txt" "$scratch/report.txt"
    rm -rf "$scratch/state"
    (cd "$scratch/files" || exit 1
        if [ "$name" = dolv-journal ]; then
            unset DOLV_NO_JOURNAL
            XDG_STATE_HOME=$scratch/state
            export XDG_STATE_HOME
        fi
        valgrind --tool=callgrind --callgrind-out-file="$out/$name.out" "$@" \
        >"$stdout" 2>"$out/$name.log") || { echo "profile: $name failed"; cat "$out/$name.log"; exit 1; }
    total=$(sed -n 's/^summary: *//p;s/^totals: *//p' "$out/$name.out" | head -1)
    echo "$name: $total instructions, $((total / n)) per file"
}

DOLV_NO_JOURNAL=1
export DOLV_NO_JOURNAL
echo "callgrind on $n files (tmpfs)"
profile floor /dev/null "$build/floor"
profile dolv-nul /dev/null "$build/dolv" '*.txt' '*.bak' /I +NUL
profile dolv-journal /dev/null "$build/dolv" '*.txt' '*.bak' /I +NUL
profile dolv-stdout "$scratch/out.txt" "$build/dolv" '*.txt' '*.bak'
profile dolv-report /dev/null "$build/dolv" '*.txt' '*.bak' /I '+..\report.txt'

for name in dolv-nul dolv-journal dolv-stdout; do
    echo
    echo "== $name: inclusive cost of the heaviest functions =="
    callgrind_annotate --inclusive=yes "$out/$name.out" 2>/dev/null |
        sed -n '/^Ir/,$p' | grep -v '^-*$' | sed -n '2,28p' | cut -c1-150
done
