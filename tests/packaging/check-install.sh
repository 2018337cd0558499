#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: exactly the expected files, icons of the size their folder
# names, menu entry and AppStream data that pass their validators and agree with what is installed, and
# the MIME database rebuilt. The installed tree stays for the MIME test.
# Usage: check-install.sh CMAKE BUILD_DIR ROOT SOURCE_DIR VERSION APP_ID
source "$(dirname "$0")/lib.sh"
cmake=$1 build=$2 root=$3 source=$4 version=$5 id=$6
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need update-mime-database shared-mime-info
need file file

rm -rf "$root"
"$cmake" --install "$build" --prefix "$root/usr" >"$scratch/install.log" 2>&1 || {
  cat "$scratch/install.log" >&2
  fail "cmake --install must succeed"
  finish
}
share=$root/usr/share
sizes="16 22 24 32 48 64 128 256"

expected="usr/bin/Kalmoro
usr/bin/kalmoro-gen
usr/share/applications/$id.desktop
usr/share/metainfo/$id.metainfo.xml
usr/share/mime/packages/kalmoro.xml
usr/share/man/man1/Kalmoro.1.gz
usr/share/man/man1/kalmoro-gen.1.gz
usr/share/doc/kalmoro/copyright
usr/share/doc/kalmoro/changelog.Debian.gz
usr/share/icons/hicolor/scalable/apps/$id.svg"
for s in $sizes; do expected+=$'\n'"usr/share/icons/hicolor/${s}x$s/apps/$id.png"; done
# The MIME database files and the applications' cache the install rebuilt are checked below, not listed.
installed=$(cd "$root" && find . -type f ! -path './usr/share/mime/*' ! -name mimeinfo.cache -printf '%P\n' -o -path './usr/share/mime/packages/*' -printf '%P\n' | sort)
expect_same_lines "the installed files" "$installed" "$(sort <<<"$expected")"

for s in $sizes; do
  png=$share/icons/hicolor/${s}x$s/apps/$id.png
  [ -f "$png" ] && { file -b "$png" | grep -q "^PNG image data, $s x $s," || fail "$png must be a $s x $s PNG: $(file -b "$png")"; }
done
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon must be an SVG image"

desktop=$share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate must accept $desktop: $out"
key() { sed -n "s/^$1=//p" "$desktop"; }
expect_eq "Exec of the menu entry (one file, from a file manager)" "$(key Exec)" "Kalmoro %f"
[ -x "$root/usr/bin/Kalmoro" ] || fail "Exec=$(key Exec) must name an installed program in bin/"
expect_eq "the program types the entry opens" "$(key MimeType)" "text/x.kalmoro-hole-program;text/x.iso-nc-program;"
expect_eq "Icon of the menu entry" "$(key Icon)" "$id"
expect_eq "Categories of the menu entry" "$(key Categories)" "Graphics;Engineering;"
[ -n "$(key 'Name\[ru\]')" ] && [ -n "$(key 'Comment\[ru\]')" ] && [ -n "$(key Name)" ] && [ -n "$(key Comment)" ] ||
  fail "the menu entry must have a Russian name and comment and English ones as the fallback"

metainfo=$share/metainfo/$id.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate --no-net must accept $metainfo: $out"
expect_eq "AppStream id" "$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")" "$id"
expect_eq "AppStream launchable" "$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")" "$id.desktop"
expect_eq "the newest AppStream release (the project's version)" \
  "$(sed -n 's:.*<release version="\([^"]*\)".*:\1:p' "$metainfo" | head -n 1)" "$version"
grep -q '<p xml:lang="ru">' "$metainfo" || fail "the AppStream description must have Russian paragraphs"
# Every screenshot of the README is in the AppStream data, and no other.
readme_shots=$(grep -o 'docs/screenshots/[^)]*\.png' "$source/README.md" | xargs -n 1 basename | sort -u)
metainfo_shots=$(sed -n 's:.*<image>.*/\([^/]*\.png\)</image>.*:\1:p' "$metainfo" | sort -u)
expect_same_lines "the AppStream screenshots (those of the README)" "$metainfo_shots" "$readme_shots"

# The install rebuilt the MIME database of its prefix, so the types are known at once.
grep -qx 'text/x.kalmoro-hole-program' "$share/mime/types" 2>/dev/null ||
  fail "cmake --install must rebuild $share/mime so that it knows text/x.kalmoro-hole-program"
finish
