#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the package need, only those that are missing.
# As root it runs apt-get itself, otherwise through sudo; without either it says what to run as root.
# apt's own output goes to a log; the terminal gets one line per step.
# The fuzz targets need clang 14 and its libFuzzer and sanitizer runtimes (libclang-rt-14-dev, which
# clang-14 only recommends), and llvm-14 for llvm-symbolizer, which puts names and lines in reports.
set -euo pipefail

packages=(
  build-essential cmake git pkg-config clang-format clang-tidy
  clang-14 libclang-rt-14-dev llvm-14
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev qt6-translations-l10n
  locales fonts-liberation fonts-dejavu-core
  xvfb xauth x11-apps imagemagick
  # desktop files, MIME types and the Debian package, and their tests
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl dpkg-dev file strace
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# sudo resets the environment, so the variable is passed through env.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o Dpkg::Use-Pty=0)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Missing Debian packages and no sudo: as root, run  apt-get install ${missing[*]}  then run this again." >&2
    exit 1
  fi
  apt=(sudo "${apt[@]}")
  sudo -v  # asks for the password here, before the output goes to the log
fi

log=$(mktemp "${TMPDIR:-/tmp}/kalmoro-apt.XXXXXX.log")
step() {
  local what=$1
  shift
  echo "$what"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "Failed: $* (the whole output is in $log)" >&2
    exit 1
  fi
}
echo "Installing the missing Debian packages: ${missing[*]}"
step "  updating the package lists..." "${apt[@]}" update
step "  downloading..." "${apt[@]}" install -y --no-install-recommends --download-only "${missing[@]}"
step "  installing..." "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
rm -f "$log"
echo "  done."
