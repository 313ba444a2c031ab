#!/usr/bin/env bash
# Builds the fuzzers with clang into build/fuzz and runs each of them in turn.
#   fuzz/run.sh [seconds per fuzzer] [fuzzer name ...]     (default 60 seconds, every fuzzer)
# Each fuzzer starts from its seeds below (valid inputs, and the real receiver logs of tests/data where they
# fit); what it learns goes to build/fuzz/corpus/<name>. A finding stops the run and leaves its
# input in build/fuzz/findings/<name>; the exit status is then non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=build/fuzz
testdata=${ZENTRIX_TESTDATA_DIR:-$(pwd)/tests/data}

# name            max input length   seed folders
FUZZERS=(
  "reply_fuzzer     4096   fuzz/corpus $build/seeds/logs"
  "profile_record_fuzzer  4096   fuzz/corpus_profile_record_fuzzer"
  "profile_field_fuzzer   4096   fuzz/corpus_profile_field_fuzzer"
  "launcher_data_fuzzer   16384  fuzz/corpus_launcher_data_fuzzer"
  "sirf_fuzzer      4096   fuzz/corpus_sirf $build/seeds/logs"
  "resource_format_fuzzer 8192   fuzz/corpus_resource_format_fuzzer"
  "command_history_fuzzer 8192   fuzz/corpus_command_history_fuzzer"
)

CC=clang CXX=clang++ cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

mkdir -p "$build/seeds/logs"
if compgen -G "$testdata/gpsd/*.log" >/dev/null; then
    cp "$testdata"/gpsd/*.log "$build/seeds/logs/"
else
    echo "note: no receiver logs under $testdata/gpsd; seeding from fuzz/ only" >&2
fi

wanted=("$@")
for row in "${FUZZERS[@]}"; do
    read -r name max_len seeds <<<"$row"
    if [ ${#wanted[@]} -gt 0 ] && [[ " ${wanted[*]} " != *" $name "* ]]; then
        continue
    fi
    cmake --build "$build" --target "$name"
    mkdir -p "$build/corpus/$name" "$build/findings/$name"
    echo "== $name, $seconds seconds"
    # shellcheck disable=SC2086
    "$build/$name" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$name/" "$build/corpus/$name" $seeds
done
