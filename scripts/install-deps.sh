#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing. The fuzz
# targets need clang 14 and its libFuzzer and sanitizer runtimes (libclang-rt-14-dev, which clang-14
# only recommends), and llvm-14 for llvm-symbolizer, which puts names and lines in sanitizer reports.
set -euo pipefail

packages=(
  build-essential cmake git pkg-config clang-format clang-tidy
  clang-14 libclang-rt-14-dev llvm-14
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  locales fonts-liberation fonts-dejavu-core
  xvfb xauth x11-apps imagemagick
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
