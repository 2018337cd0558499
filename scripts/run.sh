#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window.
# Without a display it says so first, before installing or building anything, and offers to run the
# window under a private Xvfb (an X server without a screen) that it starts and stops itself; the same
# without asking: scripts/run.sh --xvfb
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KALMORO_BUILD_DIR:-build}
xvfb=false
if [ "${1:-}" == --xvfb ]; then
  xvfb=true
  shift
fi

if ! $xvfb && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to open the window on (DISPLAY is not set)."
  answer=n
  if [ -t 0 ]; then
    read -r -p "Run it under a private Xvfb, started and stopped by this script? [y/N] " answer || answer=n
  fi
  case $answer in
    [yYдД]*) xvfb=true ;;
    *)
      echo "Start it on a desktop, or under a private Xvfb: scripts/run.sh --xvfb"
      echo "Without a window: $build/cli/kalmoro-gen --help (after scripts/test.sh or a build)"
      exit 1
      ;;
  esac
fi

# Only what the window needs (with the private X server, in one installation); the test tools come
# with scripts/test.sh.
if $xvfb; then bash scripts/install-deps.sh run xvfb; else bash scripts/install-deps.sh run; fi
# A new build folder leaves the tests and benchmarks out (their libraries come with scripts/test.sh); an
# existing one keeps its settings.
options=()
[ -f "$build/CMakeCache.txt" ] || options=(-DKALMORO_BUILD_TESTS=OFF -DKALMORO_BUILD_BENCH=OFF)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target Kalmoro kalmoro-gen

if ! $xvfb; then
  exec "$build/app/Kalmoro" "$@"
fi
# xvfb-run picks a free display, gives it a private authority cookie, and stops the server when the
# window closes (or on Ctrl+C).
echo "Starting a private Xvfb."
# The screenshot hint names ImageMagick's import, which only the test tools install.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  echo "The window runs on the private display $DISPLAY, which no screen shows."
  if command -v import >/dev/null 2>&1; then
    echo "A screenshot: DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root kalmoro.png"
  else
    echo "A screenshot needs ImageMagick (as root: apt-get install imagemagick), then:"
    echo "  DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root kalmoro.png"
  fi
  echo "Ctrl+C ends the window and the display."
  exec "$0" "$@"' "$build/app/Kalmoro" "$@"
