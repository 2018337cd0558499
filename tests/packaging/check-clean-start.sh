#!/usr/bin/env bash
# Starts the real program on the offscreen screen with an empty read-only home folder and no desktop
# session, and ends it once its window is up (the start-up probe plugin does both). It must start
# clean: the window up with Qt's texts in the expected language, nothing written under the home folder
# (running as root, read-only does not stop a write, so the folder must simply stay empty), and no
# network socket opened (watched with strace).
# Usage: check-clean-start.sh KALMORO PROBE_PLUGIN_DIR QT_PLUGIN_DIR APP_ID with-qt-translations|without-qt-translations
source "$(dirname "$0")/lib.sh"
program=$1 probe=$2 qtplugins=$3 id=$4 translations=$5
need strace strace

home=$scratch/home
mkdir -m 0555 "$home"
mkdir -m 0700 "$scratch/runtime"
if [ "$translations" == without-qt-translations ]; then
  # A copy of the program whose qt.conf points Qt's translations at an empty folder.
  mkdir "$scratch/bin" "$scratch/no-translations"
  cp "$program" "$scratch/bin/Kalmoro"
  printf '[Paths]\nTranslations=%s\n' "$scratch/no-translations" >"$scratch/bin/qt.conf"
  program=$scratch/bin/Kalmoro
  yes='&Yes'
else
  yes='&Да'
fi

run=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$scratch/runtime" LANG=C.UTF-8
  QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$probe:$qtplugins" QT_QPA_GENERIC_PLUGINS=kalmorostartupprobe)
status=0
if strace -f -qq -o /dev/null true 2>/dev/null; then
  strace -f -qq -e trace=%network,%file -o "$scratch/trace" "${run[@]}" "$program" >"$scratch/out" 2>"$scratch/err" ||
    status=$?
else
  echo "note: strace cannot trace here (ptrace not permitted): network and write attempts are not watched" >&2
  "${run[@]}" "$program" >"$scratch/out" 2>"$scratch/err" || status=$?
  : >"$scratch/trace"
fi

expect_eq "the exit status after the window came up" "$status" 0
report() { sed -n "s/^$1=//p" "$scratch/out"; }
expect_eq "the caption of the window that came up" "$(report title)" "Генератор примитивов для RoboFill"
expect_eq "Qt's text of the Yes button" "$(report yes)" "$yes"
expect_eq "the desktop entry the window names" "$(report desktop)" "$id"

left=$(cd "$home" && find . -mindepth 1)
[ -z "$left" ] || fail "nothing may be written under the home folder; found: $left"
writes=$(grep -F "\"$home" "$scratch/trace" |
  grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|^[0-9]+ +(mkdir|mkdirat|rename|renameat2?|unlink|unlinkat|rmdir|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|chown|fchownat|utimensat|creat)\(' || true)
[ -z "$writes" ] || fail "the program must not try to write under the home folder:"$'\n'"$writes"
sockets=$(grep -E '^[0-9]+ +socket\(AF_INET6?,' "$scratch/trace" || true)
[ -z "$sockets" ] || fail "the program must not open network sockets:"$'\n'"$sockets"

[ "$failures" -eq 0 ] || { echo "--- standard output:"; cat "$scratch/out"; echo "--- standard error:"; cat "$scratch/err"; } >&2
finish
