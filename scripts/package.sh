#!/usr/bin/env bash
# Builds the Debian package kalmoro_<version>-1_<arch>.deb into the repository folder: installs what is
# missing, makes a release build of the window and kalmoro-gen (no tests) in build-package/ and packs it
# with CPack. Install it with:  sudo apt install ./kalmoro_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh package
build=${KALMORO_PACKAGE_BUILD_DIR:-build-package}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKALMORO_BUILD_TESTS=OFF -DKALMORO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
out=$(cd "$build" && pwd)/packages
rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$build/cpack.log" 2>&1 || {
  cat "$build/cpack.log" >&2
  exit 1
}
for deb in "$out"/*.deb; do
  cp "$deb" .
  echo "Package: ./$(basename "$deb")"
done
