#!/usr/bin/env bash
# The Debian package as CPack builds it: its file list and modes, its control fields (the Qt 6 runtime
# libraries among the dependencies dpkg-shlibdeps found), and kalmoro-gen run from the package unpacked
# into a scratch root, writing the same bytes as the built one. The unpacked root stays in OUT_DIR/root
# for the start-up test of the packaged window.
# Usage: check-deb.sh CPACK BUILD_DIR OUT_DIR VERSION APP_ID KALMORO_GEN
source "$(dirname "$0")/lib.sh"
cpack=$1 build=$2 out=$3 version=$4 id=$5 gen=$6
need dpkg-deb dpkg
need dpkg-shlibdeps dpkg-dev
need file file
need readelf binutils

rm -rf "$out"
mkdir -p "$out"
"$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  fail "cpack must build the package"
  finish
}
arch=$(dpkg --print-architecture)
deb=$out/kalmoro_${version}-1_$arch.deb
[ -f "$deb" ] || { fail "cpack must write $(basename "$deb"); it wrote: $(cd "$out" && ls -- *.deb 2>/dev/null)"; finish; }

field() { dpkg-deb -f "$deb" "$1"; }
expect_eq "Package" "$(field Package)" "kalmoro"
expect_eq "Version" "$(field Version)" "$version-1"
expect_eq "Architecture" "$(field Architecture)" "$arch"
expect_eq "Section" "$(field Section)" "graphics"
expect_eq "Recommends" "$(field Recommends)" "qt6-translations-l10n, fonts-liberation"
[ -n "$(field Maintainer)" ] || fail "the package must name a maintainer"
expect_eq "the synopsis" "$(field Description | head -n 1)" "NC programs for round, rectangular and conical holes"
# Depends: the runtime libraries both programs link, each with the lowest version the binaries need.
depends=$(field Depends)
IFS=, read -ra entries <<<"$depends"
names=()
for entry in "${entries[@]}"; do
  entry=${entry# }
  [[ $entry =~ ^([a-z0-9.+-]+)\ \(\>=\ [^\)]+\)$ ]] || fail "each dependency must be 'package (>= version)': '$entry'"
  names+=("${entry%% *}")
done
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ " ${names[*]} " == *" $lib "* ]] || fail "Depends must require $lib: $depends"
done
[[ " ${names[*]} " == *"-dev "* ]] && fail "Depends must not name development packages: $depends"

sizes="16 22 24 32 48 64 128 256"
expected="-rwxr-xr-x root/root ./usr/bin/Kalmoro
-rwxr-xr-x root/root ./usr/bin/kalmoro-gen
-rw-r--r-- root/root ./usr/share/applications/$id.desktop
-rw-r--r-- root/root ./usr/share/metainfo/$id.metainfo.xml
-rw-r--r-- root/root ./usr/share/mime/packages/kalmoro.xml
-rw-r--r-- root/root ./usr/share/man/man1/Kalmoro.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/kalmoro-gen.1.gz
-rw-r--r-- root/root ./usr/share/doc/kalmoro/copyright
-rw-r--r-- root/root ./usr/share/doc/kalmoro/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/$id.svg"
for s in $sizes; do expected+=$'\n'"-rw-r--r-- root/root ./usr/share/icons/hicolor/${s}x$s/apps/$id.png"; done
files=$(dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ { print $1, $2, $6 }' | sort -k3)
expect_same_lines "the package's files with their modes" "$files" "$(sort -k3 <<<"$expected")"

root=$out/root
dpkg-deb -x "$deb" "$root"
for program in Kalmoro kalmoro-gen; do
  file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program in the package must be stripped"
  readelf -d "$root/usr/bin/$program" | grep -Eq 'RPATH|RUNPATH' && fail "$program must not carry a run path"
done
readelf -d "$root/usr/bin/Kalmoro" | grep -q 'NEEDED.*Network' && fail "the window must not link a network library"

# The hardening flags reach both programs: some of their calls become checked ones (kalmoro-gen's
# printf, the file reader's pread in both).
[[ $(readelf -W --dyn-syms "$root/usr/bin/kalmoro-gen") == *__printf_chk* ]] ||
  fail "kalmoro-gen must import fortified functions (__printf_chk): built without -D_FORTIFY_SOURCE=2?"
[[ $(readelf -W --dyn-syms "$root/usr/bin/Kalmoro" | grep -E ' __[a-z]+_chk@' | grep -vc '__stack_chk') -gt 0 ]] ||
  fail "Kalmoro must import fortified functions (__pread_chk …): built without -D_FORTIFY_SOURCE=2?"

# Debian's policy, as lintian reads it, its informational tags included (-I): no error and no hardening
# tag. Run where lintian is installed
# (scripts/install-deps.sh installs it with the test tools).
if command -v lintian >/dev/null 2>&1; then
  lintian -I --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1 || true
  errors=$(grep -E '^E: |hardening' "$scratch/lintian.txt" || true)
  [ -z "$errors" ] || fail "lintian must find no error and no hardening tag:"$'\n'"$errors"
else
  echo "lintian is not installed: the package's policy check is left out" >&2
fi

# kalmoro-gen from the unpacked package writes exactly what the built one writes.
cd "$scratch"
while read -r args; do
  # shellcheck disable=SC2086
  "$root/usr/bin/kalmoro-gen" $args >packaged.out 2>&1 || fail "packaged kalmoro-gen $args must succeed: $(cat packaged.out)"
  # shellcheck disable=SC2086
  "$gen" $args >built.out 2>&1
  cmp -s packaged.out built.out || fail "packaged kalmoro-gen $args must write the same bytes as the built one"
done <<EOF_TABLE
circle --diameter 10
rect --width 20 --height 10 --radius 2
cone --height 2 --lower 1 --upper 0.8
EOF_TABLE
# -o saves the program with its closing CR LF.
"$root/usr/bin/kalmoro-gen" cone --height 10 --lower 10 --angle 10 -o part >/dev/null 2>&1 ||
  fail "the packaged kalmoro-gen must save part.iso"
{ "$gen" cone --height 10 --lower 10 --angle 10 && printf '\r\n'; } >expected.iso
cmp -s part.iso expected.iso || fail "part.iso saved by the packaged kalmoro-gen must hold the program and a CR LF"
finish
