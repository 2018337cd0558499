#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 14, AddressSanitizer and UndefinedBehaviorSanitizer) and runs each
# for a bounded time from its seed corpus in fuzz/corpus/. New inputs go to a scratch folder, so the
# committed corpora do not grow. Any finding (crash, sanitizer report, broken property, timeout, leak)
# fails the run, and the input that led to it is printed in hex with its printable characters.
# Usage: scripts/fuzz.sh [SECONDS [TARGET...]]   (20 s each by default; targets as named in fuzz/corpus/)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(find fuzz/corpus -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
fi
build=${KALMORO_FUZZ_BUILD_DIR:-build-fuzz}
jobs=${KALMORO_FUZZ_JOBS:-$(nproc)}
clangxx=${KALMORO_FUZZ_CXX:-clang++-14}

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$clangxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALMORO_FUZZ=ON \
  -DKALMORO_BUILD_APP=OFF -DKALMORO_BUILD_TESTS=OFF -DKALMORO_BUILD_BENCH=OFF \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kalmoro-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# One target: libFuzzer writes what it finds new into the first folder and only reads the second.
run() {
  local t=$1 dir="$scratch/$1"
  mkdir -p "$dir/new" "$dir/findings"
  local status=0
  PATH="/usr/lib/llvm-14/bin:$PATH" ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/fuzz_$t" "$dir/new" "fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=16384 -artifact_prefix="$dir/findings/" -print_final_stats=1 \
    >"$dir/log" 2>&1 || status=$?
  echo "$status" >"$dir/status"
}

echo "== fuzzing: ${#targets[@]} targets, ${seconds} s each, $jobs at a time"
running=0
for t in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run "$t" &
  running=$((running + 1))
done
wait

failed=0
for t in "${targets[@]}"; do
  dir="$scratch/$t"
  status=$(cat "$dir/status")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  if [ "$status" -eq 0 ] && [ -z "$(ls -A "$dir/findings")" ]; then
    echo "fuzz_$t: ${runs:-?} inputs, no finding"
    continue
  fi
  failed=1
  echo "fuzz_$t: FAILED (exit status $status)"
  # What libFuzzer and the target said, from the first report on.
  sed -n '/must hold\|ERROR: \|runtime error\|==ERROR\|ALARM\|out-of-memory/,$p' "$dir/log" | head -120
  for f in "$dir"/findings/*; do
    [ -e "$f" ] || continue
    echo "-- input $(basename "$f") ($(stat -c %s "$f") bytes), hex and printable:"
    od -A x -t x1z -v "$f" | head -64
    echo "-- replay: $build/fuzz/fuzz_$t FILE"
  done
done
[ "$failed" -eq 0 ] && echo "== fuzzing: no finding" || echo "== fuzzing: FINDINGS (see above)"
exit "$failed"
