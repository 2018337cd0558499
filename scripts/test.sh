#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. Exit status 0 only when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${KALMORO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"

status=0
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" || status=$?
if [ "$status" -eq 0 ]; then
  echo "== Kalmoro: all tests PASSED =="
else
  echo "== Kalmoro: tests FAILED (see the output above) =="
fi
exit "$status"
