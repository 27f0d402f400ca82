#!/usr/bin/env bash
# The slow proofs beyond the unit tests, in three steps:
#   1. every frame count at every rate through the window's conversions, and
#      days of SMPTE time code labels at every drop-frame and common rate
#      against the counting rule (build/ci),
#   2. the calculator sheet and the time code expression parser fuzzed for a
#      bounded time each (build/fuzz, clang),
#   3. the whole test suite under AddressSanitizer and UBSan (build/asan).
# Expects the ci build to be there, as scripts/test.sh leaves it, and builds
# what is missing. The sanitizer build runs, at low priority, while the
# fuzzers have one processor to themselves. KADENZO_FUZZ_SECONDS sets the
# fuzzing time, shared equally by the two fuzzers (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${KADENZO_FUZZ_SECONDS:-60}
each_fuzz_seconds=$(((fuzz_seconds + 1) / 2))

heading() {
  printf '\n==== %s ====\n' "$*"
}

heading "1/3 Every count at every rate, and time code labels: kadenzo-verify (build/ci)"
[ -f build/ci/build.ninja ] || cmake --preset ci
cmake --build --preset ci --target kadenzo-verify
build/ci/tools/verify/kadenzo-verify

heading "2/3 Fuzzing the calculator sheet and the expression parser for ${fuzz_seconds} s (build/fuzz)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

cmake --preset asan >/dev/null
asan_log=build/asan/build.log
# In a process group of its own, so that it can be stopped as a whole.
set -m
nice -n 10 cmake --build --preset asan >"$asan_log" 2>&1 &
asan_build=$!
set +m
trap 'kill -- -"$asan_build" 2>/dev/null || true' EXIT

# Each fuzzer in turn, with half the time. The committed seeds stay as they
# are: a fuzzer adds what it finds to a copy.
fuzz() {
  local name=$1 seeds=$2
  local corpus=build/fuzz/corpus-$name fuzz_log=build/fuzz/fuzz-$name.log
  rm -rf "$corpus"
  mkdir -p "$corpus" build/fuzz/crashes
  cp "$seeds"/* "$corpus"/
  echo "-- kadenzo_${name}_fuzzer, ${each_fuzz_seconds} s"
  if ! "build/fuzz/fuzz/kadenzo_${name}_fuzzer" -max_total_time="$each_fuzz_seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix=build/fuzz/crashes/ "$corpus" >"$fuzz_log" 2>&1; then
    tail -n 60 "$fuzz_log"
    echo "proof: the $name fuzzer found a failing input; it is in build/fuzz/crashes/" >&2
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$fuzz_log" || true
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$fuzz_log" || true
}
fuzz sheet fuzz/corpus
fuzz expression fuzz/corpus-expression

heading "3/3 The test suite under AddressSanitizer and UBSan (build/asan)"
if ! wait "$asan_build"; then
  cat "$asan_log"
  echo "proof: the sanitizer build failed" >&2
  exit 1
fi
trap - EXIT
tail -n 1 "$asan_log"
ctest --preset asan

heading "All proofs passed"
