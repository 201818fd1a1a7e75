#!/bin/sh
# Runs every fuzz target for SECONDS seconds (default 60) on its corpus.
#   sh tests/fuzz/run.sh [SECONDS]
# Needs clang++ with libFuzzer; without them it says so and succeeds.
# DOLV_WERROR=ON (as `make test-fuzz` sets it) makes warnings errors.
# New inputs go to build-fuzz/corpus/<target>; the seeds in
# tests/fuzz/corpus/<target> are only read. A crash leaves its input in
# build-fuzz/artifacts/ and makes the script fail.
set -u

secs=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${DOLV_FUZZ_BUILD:-$root/build-fuzz}
cxx=${DOLV_FUZZ_CXX:-clang++}

if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "fuzz: $cxx not found; fuzzing skipped"
    exit 0
fi
mkdir -p "$build" || exit 1
probe=$build/probe
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$probe.cpp"
if ! "$cxx" -fsanitize=fuzzer,address,undefined "$probe.cpp" -o "$probe" >/dev/null 2>&1; then
    echo "fuzz: $cxx cannot build with libFuzzer (-fsanitize=fuzzer); fuzzing skipped"
    exit 0
fi

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=None \
    -DDOLV_WERROR="${DOLV_WERROR:-OFF}" >"$build/configure.log" 2>&1 || {
    cat "$build/configure.log"
    exit 1
}
grep 'left out' "$build/configure.log" | sed 's/^-- /fuzz: /'
targets=$(cat "$build/targets.txt")
[ -n "$targets" ] || { echo "fuzz: no target to run"; exit 1; }
cmake --build "$build" -j 2 --target $targets >"$build/build.log" 2>&1 || {
    tail -40 "$build/build.log"
    exit 1
}

status=0
mkdir -p "$build/artifacts"
for t in $targets; do
    mkdir -p "$build/corpus/$t" "$root/tests/fuzz/corpus/$t"
    log=$build/$t.log
    if "$build/$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1 \
        "$build/corpus/$t" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz: $t ok ($runs runs in ${secs}s)"
    else
        echo "fuzz: $t FAILED (log $log):"
        grep -v '^#\|^INFO\|^stat::' "$log" | head -40
        status=1
    fi
done
exit $status
