#!/usr/bin/env bash
# The slow proofs beyond the unit tests, in three steps:
#   1. every frame count at every rate through the conversions (build/ci),
#   2. the calculator sheet fuzzed for a bounded time (build/fuzz, clang),
#   3. the whole test suite under AddressSanitizer and UBSan (build/asan).
# Expects the ci build to be there, as scripts/test.sh leaves it, and builds
# what is missing. The sanitizer build runs, at low priority, while the
# fuzzer has one processor to itself. KADENZO_FUZZ_SECONDS sets the fuzzing
# time (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${KADENZO_FUZZ_SECONDS:-60}

heading() {
  printf '\n==== %s ====\n' "$*"
}

heading "1/3 Every count at every rate: kadenzo-verify (build/ci)"
[ -f build/ci/build.ninja ] || cmake --preset ci
cmake --build --preset ci --target kadenzo-verify
build/ci/tools/verify/kadenzo-verify

heading "2/3 Fuzzing the calculator sheet for ${fuzz_seconds} s (build/fuzz)"
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

# The committed seeds stay as they are: the fuzzer adds what it finds to a copy.
corpus=build/fuzz/corpus
rm -rf "$corpus"
mkdir -p "$corpus" build/fuzz/crashes
cp fuzz/corpus/* "$corpus"/
fuzz_log=build/fuzz/fuzz.log
if ! build/fuzz/fuzz/kadenzo_sheet_fuzzer -max_total_time="$fuzz_seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/crashes/ "$corpus" >"$fuzz_log" 2>&1; then
  tail -n 60 "$fuzz_log"
  echo "proof: the fuzzer found a failing input; it is in build/fuzz/crashes/" >&2
  exit 1
fi
grep -E '^#[0-9]+[[:space:]]+DONE' "$fuzz_log" || true
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$fuzz_log" || true

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
