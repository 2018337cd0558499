#!/usr/bin/env bash
# The installed MIME types recognise saved programs by their first bytes under any name, while "*.iso"
# keeps meaning a disc image for everything else; asked as a desktop user would, with xdg-mime.
# Usage: check-mime.sh SHARE_DIR KALMORO_GEN APP_ID   (SHARE_DIR: the installed share/ with a rebuilt mime/
# and applications/mimeinfo.cache)
source "$(dirname "$0")/lib.sh"
share=$1 gen=$2 id=$3
need xdg-mime xdg-utils
# Outside a desktop session xdg-mime asks `mimetype`, which reads the shared-mime-info database;
# without it xdg-mime would fall back to `file`, which knows nothing of the types.
need mimetype libfile-mimeinfo-perl

cd "$scratch"
"$gen" circle --diameter 10 -o circle >/dev/null
"$gen" rect --width 20 --height 10 --radius 2 -o rect.iso >/dev/null
"$gen" cone --height 2 --lower 1 --upper 0.8 -o cone.iso >/dev/null
"$gen" rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1 -o rect-taper.iso >/dev/null
"$gen" circle >program-without-extension
printf 'circle --diameter 10 @ 20 0\nrect @ -30 15\n' | "$gen" job - -o job >/dev/null
printf '%%\r\nO0001\r\nN10G90G54\r\nM30\r\n%%\r\n' >fanuc.iso
printf '%%\nO0001\nG90\nM30\n%%\n' >lf-ends.iso
printf '%%\n(ROUGHING)\nG90\nM30\n' >comment-first.iso
# An ISO 9660 disc image: its volume descriptor "CD001" at byte 32769.
head -c 40000 /dev/zero >disc.iso
printf 'CD001' | dd of=disc.iso bs=1 seek=32769 conv=notrunc status=none
printf 'no program\n' >notes.iso
printf '%% not a program\n' >percent-comment.iso

kalmoro=text/x.kalmoro-hole-program
iso=text/x.iso-nc-program
disc=application/x-cd-image
while read -r name expected; do
  actual=$(env -i PATH="$PATH" HOME="$scratch" XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$scratch/none" \
    xdg-mime query filetype "$name" 2>&1) || true
  expect_eq "the type of $name" "$actual" "$expected"
done <<EOF_TABLE
circle.iso $kalmoro
rect.iso $kalmoro
cone.iso $kalmoro
rect-taper.iso $kalmoro
program-without-extension $kalmoro
job.iso $kalmoro
fanuc.iso $iso
lf-ends.iso $iso
comment-first.iso $iso
disc.iso $disc
notes.iso $disc
percent-comment.iso $disc
EOF_TABLE

# Both program types open in Kalmoro: the menu entry, from the applications' cache the install rebuilt.
for type in $kalmoro $iso; do
  actual=$(env -i PATH="$PATH" HOME="$scratch" XDG_DATA_DIRS="$share" XDG_DATA_HOME="$scratch/none" \
    XDG_CONFIG_HOME="$scratch/none" XDG_CONFIG_DIRS="$scratch/none" xdg-mime query default "$type" 2>&1) || true
  expect_eq "the default application of $type" "$actual" "$id.desktop"
done
finish
