#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${KALMORO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

if [ -x "$build/app/Kalmoro" ]; then
  exec "$build/app/Kalmoro" "$@"
fi
echo "The window is not built yet; as a demonstration, the program of a round hole of diameter 10:"
exec "$build/cli/kalmoro-gen" circle --diameter 10
