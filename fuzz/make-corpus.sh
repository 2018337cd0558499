#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets, fuzz/corpus/<target>/, from programs of kalmoro-gen and
# texts a user may type or paste. The corpora are committed; run this again only to change them.
# Usage: fuzz/make-corpus.sh [kalmoro-gen]   (default: build/cli/kalmoro-gen)
set -euo pipefail
cd "$(dirname "$0")"
gen=$(realpath "${1:-../build/cli/kalmoro-gen}")
rm -rf corpus
mkdir -p corpus

# seed TARGET NAME TEXT: one seed file holding TEXT as it stands (printf %b escapes allowed).
seed() {
  mkdir -p "corpus/$1"
  printf '%b' "$3" >"corpus/$1/$2"
}

# Field texts: typed, pasted, in other scripts, and as UTF-16 (little-endian) units.
for pair in "ten:10" "comma:12,5" "signed:-3.25" "plus-two-points:+1.5.6" "sign-inside:1-2" "letters:abc12x" \
  "cyrillic:Ширина 20,5 мм" "fullwidth:１２.５" "arabic-indic:٣٤" "nbsp:1\u00a0000" "controls:1\t2\r\n3\x1b[0m" \
  "utf16:1\x002\x00,\x005\x00" "utf16-surrogates:\x00\xd8\x00\xdc1\x00"; do
  seed field_check "${pair%%:*}" "${pair#*:}"
done

# Number texts, clean and not, within the range of a double and beyond it.
for pair in "zero:0" "ten:10" "leading-zeros:012.50" "point-last:5." "point-first:.5" "negative-zero:-0" \
  "plus:+7" "exponent:1e5" "two-points:1.2.3" "trailing-letters:12abc" "sign-point:-." "comma:2,5"; do
  seed number_value "${pair%%:*}" "${pair#*:}"
done
seed number_value huge "$(printf '9%.0s' {1..400})"
seed number_value tiny "0.$(printf '0%.0s' {1..400})1"

# Coordinates: doubles as 8 bytes each (rounding cases of the writer), and decimal texts.
mkdir -p corpus/coord_text
perl -e 'print pack("d<*", 0.0005, 2.0625, -2.0625, 1.0005, 4.65, 434849.99999999994, 999999.9995)' >corpus/coord_text/half-ways
perl -e 'print pack("d<*", 1e21, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, -1e-16, 1e6, 999999.9994999999)' >corpus/coord_text/extremes
for pair in "half-way:2.0625" "decided-on-text:1.0005" "below-million:999999.9995" "tenth:4.65" "long:434849.99999999994" \
  "exponent:1.5E-16"; do
  seed coord_text "${pair%%:*}" "${pair#*:}"
done

# Generator inputs: the fields of each page joined by "|", as a user fills them.
for pair in "ten:10" "smallest:1" "largest:999" "below-range:0.999" "fraction:2.5" "letters-after:10abc" "plus:+10" \
  "parenthesis:1(0" "line-end:12\r\n" "leading-blank: 10"; do
  seed gen_circle "${pair%%:*}" "${pair#*:}"
done
for pair in "worked:20|10|2" "initial:10|5|0" "radius-half-height:20|10|5" "radius-half-width:10|20|5" \
  "circle:20|20|10" "extremes:999|1|0.5" "radius-too-large:20|10|5.5" "texts-not-numbers:012.50|5.|.5" \
  "smallest-radius:20.0005|10.0005|0.001" "negative-radius:20|10|-2"; do
  seed gen_rect "${pair%%:*}" "${pair#*:}"
done
for pair in "worked:2|1|0.8|5.72481" "steep:20|20|10|28.072487" "widening:2|1|1.2|-5.72481" \
  "smallest-lower:2|0.002|0.002|0" "cylinder:10|10|10|0" "too-steep:10|20|10|53.130102" "initial:0|0|0|0" \
  "many-blocks:2|999|998.5|0" "lowest:0.001|1|0.9995|28.072487" "typed-angle-disagrees:2|1|0.5|1" \
  "comma-and-sign:2,5|1,5|1|+3"; do
  seed gen_cone "${pair%%:*}" "${pair#*:}"
done
for pair in "worked:20|10|2|20|1" "widening:20|10|2|20|-1" "sharp:20|10|0|20|3" "slot:20|10|5|30|2" \
  "conical-radius-below-zero:20|10|0.1|20|1" "top-under-1mm:20|10|0|20|27" "too-steep:20|10|2|20|30.5" \
  "no-plate:20|10|2|0|1" "texts-not-numbers:020.0|10,5|2.|+20|-1.5" "extremes:999|1|0.5|999|0.001"; do
  seed gen_rect_taper "${pair%%:*}" "${pair#*:}"
done

# Cone page sessions: one byte per operation (field in bits 0-1: H, D_u, D_d, angle; action in bits
# 2-3: 0 paste with a length byte, 1 key release, 2 type a character at a caret, 3 backspace).
# Typing appends at the end of the field: the caret byte is the length of its text so far (the four
# fields start as "0").
session() {
  local name=$1 out="" field rest kind text
  local -a length=(1 1 1 1)
  shift
  for op in "$@"; do
    case ${op%%:*} in H) field=0 ;; Du) field=1 ;; Dd) field=2 ;; A) field=3 ;; esac
    rest=${op#*:}
    kind=${rest%%:*}
    text=${rest#*:}
    case $kind in
      type)
        for ((i = 0; i < ${#text}; i++)); do
          out+=$(printf '\\x%02x%s\\x%02x' $((field | 8)) "${text:i:1}" "${length[field]}")
          length[field]=$((length[field] + 1))
        done
        ;;
      paste)
        out+=$(printf '\\x%02x\\x%02x%s' "$field" "${#text}" "$text")
        length[field]=${#text}
        ;;
      release) out+=$(printf '\\x%02x' $((field | 4))) ;;
      back)
        out+=$(printf '\\x%02x' $((field | 12)))
        length[field]=$((length[field] > 0 ? length[field] - 1 : 0))
        ;;
    esac
  done
  seed cone_solver "$name" "$out"
}
session worked-angle-derived Dd:type:1 Du:type:0.8 H:type:2
session upper-derived Dd:type:10 H:type:10 A:type:10
session lower-derived Du:type:10 H:type:10 A:type:-10
session pasted-garbage A:paste:abc12,5-x A:release: Dd:paste:1.2.3 Dd:release:
session typed-then-erased Dd:type:20 Du:type:10 H:type:10 H:back: H:back: H:type:20
session steep-then-flat Dd:type:20 Du:type:10 H:type:1 A:type:5 Du:back: Du:back:

# Job files: the example, comments and blank lines, CR LF, bad lines of each kind, a job at its block limit.
seed job_file example 'circle --diameter 10 @ 20 0\nrect --width 20 --height 10 --radius 2 @ -30 15\ncone --height 2 --lower 1 --upper 0.8 @ 0 40\n'
seed job_file comments-crlf '\xef\xbb\xbf# plate\r\n\r\n  \t# circle @ 0 0\r\ncircle --diameter=2,5 @ +1,5 -0.25\r\n'
seed job_file cone-derived 'cone --height 10 --lower 10 --angle 10 @ 0 0\ncone --height 10 --upper 10 --angle=-10 @ 1 1\ncone --height 2 --lower 1 --upper 0.8 --angle 5.72481 @ 2 2'
seed job_file bad-lines 'square @ 0 0\ncircle --width 5 @ 0 0\ncircle -o x @ 0 0\ncircle @ 1\ncircle @ 1x 2\ncircle @ 100000 0\ncircle --diameter 0 @ 0 0\ncone --height 10 --lower 20 --upper 10 --angle 5 @ 0 0\n@ 1 2\ncircle --diameter 10\n'
seed job_file largest-cone 'cone --height 10 --lower 430000 --upper 430000 @ 0 0\ncircle @ 0 0\n'
seed job_file passes 'circle --diameter 10 --skims 2 --stop 3 @ 20 0\nrect --width 20 --height 10 --radius 2 --skims 1 --direction same @ -30 15\ncone --height 2 --lower 1 --upper 0.8 --stop 0.5 @ 0 40\ncircle --skims 5 @ 0 0\ncircle --stop 40 @ 0 0\n'
seed job_file openings 'circle --punch 10 --sheet 2 --material mild-steel --land 3 --relief 1 --thickness 20 --skims 2 --stop 3 @ 20 0\nrect --punch 20x10 --radius 2 --clearance 0.1 --land 3 --relief 1 --thickness 20 @ -30 15\nrect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1 --corners conical --skims 1 @ 0 40\nrect-taper --width 20 --height 10 --radius 2 --thickness 20 --top-width 19.5 @ 40 0\nrect-taper --width 20 --height 10 --thickness 20 @ 0 0\ncircle --punch 10 --diameter 10 --clearance 0.1 @ 0 0\ncircle --land 3 --relief 16 --thickness 20 @ 0 0\n'
seed job_file many-circles "$(for i in $(seq 1 40); do printf 'circle @ %d 0\\n' "$i"; done)"

# Programs as kalmoro-gen writes them (Windows-1251, CR LF), and as a user may edit them.
mkdir -p corpus/program_reader
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$gen" circle -o "$tmp/circle"
"$gen" rect --width 20 --height 10 --radius 2 -o "$tmp/rect"
"$gen" rect -o "$tmp/rect-initial"
"$gen" rect --width 10 --height 20 --radius 5 -o "$tmp/rect-half-width"
"$gen" cone --height 2 --lower 1 --upper 0.8 -o "$tmp/cone"
"$gen" cone --height 2 --lower 1 --upper 1.2 -o "$tmp/cone-widening"
"$gen" cone --height 2 --lower 0.002 --upper 0.002 --angle 0 -o "$tmp/cone-smallest"
"$gen" circle --skims 2 --stop 3 -o "$tmp/circle-passes"
"$gen" rect --width 20 --height 10 --radius 2 --skims 3 --direction same -o "$tmp/rect-passes"
"$gen" cone --height 2 --lower 1 --upper 0.8 --skims 1 --stop 1 -o "$tmp/cone-passes"
"$gen" rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1 -o "$tmp/rect-taper"
"$gen" rect-taper --width 20 --height 10 --radius 2 --thickness 20 --angle 1 --corners conical --skims 1 --stop 3 \
  -o "$tmp/rect-taper-conical-passes"
"$gen" circle --punch 10 --sheet 2 --material mild-steel --land 3 --relief 1 --thickness 20 --skims 2 \
  -o "$tmp/circle-relief" 2>/dev/null
"$gen" rect --width 20 --height 10 --radius 5 --land 3 --relief 1 --thickness 20 -o "$tmp/rect-relief"
for f in "$tmp"/*.iso; do cp "$f" "corpus/program_reader/$(basename "$f" .iso)"; done
# Edited by hand: LF line ends, lower case and short codes, a comment in Windows-1251, a broken arc.
tr -d '\r' <"$tmp/circle.iso" >corpus/program_reader/circle-lf
sed -e 's/G01/g1/; s/X/ x/g; s/N2G60/N2 G60 (\xc4\xe5\xf2\xe0\xeb\xfc)/' "$tmp/rect.iso" >corpus/program_reader/rect-edited
sed -e 's/I0.000J0.000 D0/I0.400 D0/; s/N7X/N8X/; s/N13M02//' "$tmp/circle.iso" >corpus/program_reader/circle-broken
# A job of the three holes, and one with its cut stop and a hole's return left out.
printf 'circle @ 0 0\nrect --width 20 --height 10 --radius 2 @ 40 -12.5\ncone --height 2 --lower 1 --upper 0.8 @ -20.25 30\n' |
  "$gen" job - -o "$tmp/job"
cp "$tmp/job.iso" corpus/program_reader/job
printf 'circle --skims 2 --stop 3 @ 0 0\nrect --width 20 --height 10 --radius 2 @ 40 -12.5\ncone --height 2 --lower 1 --upper 0.8 --skims 1 @ -20.25 30\n' |
  "$gen" job --rough-first - -o "$tmp/job-rough-first"
cp "$tmp/job-rough-first.iso" corpus/program_reader/job-rough-first
sed -e '/^N13M00/d; /^N12X0.000Y0.000/d' "$tmp/job.iso" >corpus/program_reader/job-broken

# Values beyond any machine, which the reader names and export refuses before drawing: a coordinate of
# 10^238 (it once overflowed dxflib's number buffer), one of 10^20, a taper offset of 10^13, incremental
# moves that add up beyond the table, and a NUL byte.
far=$(printf '0%.0s' {1..238})
sed -e "s/^N3G01X0.000Y5.000/N3G01X1$far.000Y0.000/" "$tmp/circle.iso" >corpus/program_reader/coordinate-1e238
sed -e 's/^N3G01X0.000Y5.000/N3G01X99999999999999999999.999Y5.000/' "$tmp/circle.iso" >corpus/program_reader/coordinate-1e20
seed program_reader nul-byte 'N1G92X0.000Y0.000\r\nN2G01X1\0.000\r\nN3M02\r\n'

# The export: the holes and a job as written, and the programs beyond any machine.
mkdir -p corpus/export
for f in circle rect cone cone-widening job; do cp "corpus/program_reader/$f" corpus/export/; done
cp corpus/program_reader/coordinate-1e238 corpus/program_reader/coordinate-1e20 corpus/export/
sed -e 's/U0.000V-0.100/U10000000000000.000V-0.100/' "$tmp/cone.iso" >corpus/export/taper-1e13
seed export incremental-beyond '%\r\nN1G92X0.000Y0.000\r\nN2G91G01X999999.000Y0.000\r\nN3X999999.000Y0.000\r\nN4G02X0.000Y-1.000I0.000J-0.500\r\nN5M02\r\n'
