#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build=${KALMORO_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target Kalmoro kalmoro-gen

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to open the window on (DISPLAY is not set)." >&2
  echo "Start it on a desktop, or under Xvfb: Xvfb :99 & DISPLAY=:99 $build/app/Kalmoro" >&2
  echo "Without a window: $build/cli/kalmoro-gen --help" >&2
  exit 1
fi
exec "$build/app/Kalmoro" "$@"
