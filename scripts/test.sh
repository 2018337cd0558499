#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, checks the formatting and the
# clang-tidy findings, runs every test, then the core tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, and every fuzz target for KALMORO_FUZZ_SECONDS (20) seconds from its seed
# corpus (scripts/fuzz.sh). Exit status 0 only when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test
build=${KALMORO_BUILD_DIR:-build}
jobs=$(nproc)

# Tests and benchmarks on, also in a build folder scripts/run.sh made without them.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DKALMORO_BUILD_TESTS=ON -DKALMORO_BUILD_BENCH=ON
cmake --build "$build" -j"$jobs"

mapfile -t sources < <(find text nc check save load export fields holes app cli tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
style_status=0
echo "== clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}" || style_status=$?
echo "== clang-tidy (bugprone, performance)"
# The fuzz targets build with clang only and are not in this build's compile commands.
printf '%s\n' "${sources[@]}" | grep -E '\.cpp$' | grep -v '^fuzz/' |
  xargs -P"$jobs" -n4 clang-tidy -p "$build" --quiet 2> >(grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated' >&2) ||
  style_status=1

status=0
ctest --test-dir "$build" --output-on-failure -j"$jobs" || status=$?

asan_status=0
cmake -S . -B "$build-asan" -DCMAKE_BUILD_TYPE=Debug -DKALMORO_ASAN=ON -DKALMORO_BUILD_APP=OFF \
  -DKALMORO_BUILD_BENCH=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build-asan" -j"$jobs"
ctest --test-dir "$build-asan" --output-on-failure -j"$jobs" || asan_status=$?

fuzz_status=0
KALMORO_FUZZ_BUILD_DIR="$build-fuzz" bash scripts/fuzz.sh "${KALMORO_FUZZ_SECONDS:-20}" || fuzz_status=$?

echo
if [ "$status" -eq 0 ] && [ "$asan_status" -eq 0 ] && [ "$fuzz_status" -eq 0 ] && [ "$style_status" -eq 0 ]; then
  echo "== Kalmoro: all tests PASSED (and the core tests under ASan/UBSan, the fuzz targets without a finding;" \
    "formatting and clang-tidy clean) =="
  exit 0
fi
[ "$status" -eq 0 ] || echo "== Kalmoro: tests FAILED (see the output above) =="
[ "$asan_status" -eq 0 ] || echo "== Kalmoro: core tests under ASan/UBSan FAILED (see the output above) =="
[ "$fuzz_status" -eq 0 ] || echo "== Kalmoro: fuzzing found a fault; its input is printed above =="
[ "$style_status" -eq 0 ] || echo "== Kalmoro: clang-format or clang-tidy found problems (see the output above) =="
exit 1
