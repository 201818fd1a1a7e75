#!/bin/sh
# Replays every fuzz target's corpus (tests/fuzz/corpus/<target>) through
# its replay program, built by the sanitizer build (make test-asan):
#   sh tests/fuzz/replay.sh build-asan/tests/fuzz
# A fault in a target fails the script and shows the input that found it.
set -u
bin=${1:?usage: sh tests/fuzz/replay.sh <folder of the replay programs>}
root=$(cd "$(dirname "$0")/../.." && pwd)
status=0
count=0
for corpus in "$root"/tests/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    program=$bin/$target
    if [ ! -x "$program" ]; then
        echo "fuzz: $program is missing (make test-asan builds it)"
        status=1
        continue
    fi
    log=$bin/$target.log
    if "$program" "$corpus" >"$log" 2>&1; then
        count=$((count + 1))
        tail -1 "$log" | sed "s|^.*/||; s|^|fuzz: |"
    else
        echo "fuzz: $target FAILED on its corpus (the last input named is the one):"
        tail -40 "$log"
        status=1
    fi
done
[ "$count" -gt 0 ] || { echo "fuzz: no corpus replayed"; status=1; }
exit $status
