#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then the core tests once more under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exit status 0 only when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${KALMORO_BUILD_DIR:-build}
jobs=$(nproc)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$jobs"
status=0
ctest --test-dir "$build" --output-on-failure -j"$jobs" || status=$?

asan_status=0
cmake -S . -B "$build-asan" -DCMAKE_BUILD_TYPE=Debug -DKALMORO_ASAN=ON -DKALMORO_BUILD_APP=OFF \
  -DKALMORO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build-asan" -j"$jobs"
ctest --test-dir "$build-asan" --output-on-failure -j"$jobs" || asan_status=$?

echo
if [ "$status" -eq 0 ] && [ "$asan_status" -eq 0 ]; then
  echo "== Kalmoro: all tests PASSED (and the core tests under ASan/UBSan) =="
  exit 0
fi
[ "$status" -eq 0 ] || echo "== Kalmoro: tests FAILED (see the output above) =="
[ "$asan_status" -eq 0 ] || echo "== Kalmoro: core tests under ASan/UBSan FAILED (see the output above) =="
exit 1
