#!/usr/bin/env bash
# Builds the reply fuzzer with clang into build/fuzz and runs it.
#   fuzz/run.sh [seconds] [more libFuzzer options]     (default 60 seconds)
# The seeds are fuzz/corpus (one valid reply of every type) and the shared receiver logs; what the
# fuzzer learns goes to build/fuzz/corpus. A finding stops the run and leaves its input in
# build/fuzz/findings; the exit status is then non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=build/fuzz
testdata=${ZENTRIX_TESTDATA_DIR:-$(pwd)/../shared/testdata}

CC=clang CXX=clang++ cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target reply_fuzzer

mkdir -p "$build/corpus" "$build/seeds" "$build/findings"
if compgen -G "$testdata/gpsd/*.log" >/dev/null; then
    cp "$testdata"/gpsd/*.log "$build/seeds/"
else
    echo "note: no receiver logs under $testdata/gpsd; seeding from fuzz/corpus only" >&2
fi

"$build/reply_fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" "$@" "$build/corpus" fuzz/corpus "$build/seeds"
