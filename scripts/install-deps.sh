#!/usr/bin/env bash
# Installs the Debian packages one command needs, only those that are missing:
#   install-deps.sh run       building and running the window and kalmoro-gen (scripts/run.sh)
#   install-deps.sh package   the same and the Debian packaging tools (scripts/package.sh)
#   install-deps.sh test      everything: the test, fuzzing, benchmark and style tools too (scripts/test.sh)
#   install-deps.sh xvfb      the private X server scripts/run.sh --xvfb starts
# Several sets at once (install-deps.sh run xvfb) make one installation, and one root command.
# It says what it will install (and the download size) before anything asks for a password. As root it
# runs apt-get itself, otherwise through sudo; a user without sudo, or whom sudo refuses, gets the one
# command to run as root. apt's own output goes to a log; the terminal gets one line per step.
# The fuzz targets need clang 14 and its libFuzzer and sanitizer runtimes (libclang-rt-14-dev, which
# clang-14 only recommends), and llvm-14 for llvm-symbolizer, which puts names and lines in reports.
set -euo pipefail

run=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev qt6-translations-l10n
  fonts-liberation fonts-dejavu-core libdxflib-dev qt6-svg-dev
)
package=(dpkg-dev file)
xvfb=(xvfb xauth)
test=(
  git clang-format clang-tidy
  clang-14 libclang-rt-14-dev llvm-14
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  locales x11-apps imagemagick
  # desktop files, MIME types and the Debian package, and their tests
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl strace lintian
  python3-ezdxf  # reads the exported DXF drawings back
  poppler-utils  # counts and renders the pages of the setup sheet PDF
)

packages=()
for set in "${@:-test}"; do
  case $set in
    run) packages+=("${run[@]}") ;;
    package) packages+=("${run[@]}" "${package[@]}") ;;
    xvfb) packages+=("${xvfb[@]}") ;;
    test) packages+=("${run[@]}" "${package[@]}" "${xvfb[@]}" "${test[@]}") ;;
    *)
      echo "Usage: install-deps.sh run|package|test|xvfb ..." >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  [[ " ${missing[*]} " == *" $p "* ]] && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# The same command this script runs, for a root shell.
root_command="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
echo "Missing Debian packages: ${missing[*]}"
# apt's own estimate from the package lists at hand (they may be old before the update).
size=$(LC_ALL=C apt-get install --print-uris -qq --no-install-recommends "${missing[@]}" 2>/dev/null |
  LC_ALL=C awk '{ bytes += $3 } END { if (bytes > 0) printf "%.1f MB", bytes / 1e6 }') || size=
[ -z "$size" ] || echo "  download about $size (with the packages they need)"

# sudo resets the environment, so the variable is passed through env.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o Dpkg::Use-Pty=0)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "There is no sudo here. As root, run:" >&2
    echo "  $root_command" >&2
    echo "then run this again." >&2
    exit 1
  fi
  echo "  installing them through sudo; it may ask for your password."
  # Asks for the password here, before the output goes to the log. A user sudo refuses gets the command.
  if ! sudo -v; then
    echo "sudo did not allow the installation. As root, run:" >&2
    echo "  $root_command" >&2
    echo "then run this again." >&2
    exit 1
  fi
  apt=(sudo "${apt[@]}")
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
step "  updating the package lists..." "${apt[@]}" update
step "  downloading..." "${apt[@]}" install -y --no-install-recommends --download-only "${missing[@]}"
step "  installing..." "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
rm -f "$log"
echo "  done."
