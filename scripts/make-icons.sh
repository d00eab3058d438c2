#!/usr/bin/env bash
# Regenerates the folder-status icons and the application icon from the
# drawings in res/icons-src/make_svgs.py.
#
#   res/icons-src/svg/*.svg    per-size SVGs (kept in git so they can be viewed)
#   res/icons/fld00..07.ico    16 20 24 32 40 48 64 as 32-bit BMP + 256 as PNG
#   res/icons/FldXP00..07.ico  16 32 48 as 32-bit BMP only: XP cannot read PNG
#   res/Vorelkin.ico           application icon, the same sizes as fld0N.ico,
#                              32 px and up as PNG: it is in the executable,
#                              whose size counts, and Windows reads PNG icon
#                              images of any size since Vista
#
# Only Debian packages are used; scripts/setup.sh installs what is missing.
# The output carries no timestamps, so a rerun gives identical bytes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh librsvg2-bin icoutils optipng

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

svg=res/icons-src/svg
rm -rf "$svg"
python3 res/icons-src/make_svgs.py "$svg"

render() { # svg-name size -> png path
  local out="$tmp/$1.png"
  rsvg-convert -w "$2" -h "$2" -f png -o "$out" "$svg/$1.svg"
  echo "$out"
}

# The sizes below the PNG sizes as 32-bit BMP, the rest as PNG, from the SVGs
# <name>-<size>.svg
pack() { # svg-name ico-path png-sizes...
  local name=$1 ico=$2 bmp=() raw=() n png
  shift 2
  for n in 16 20 24 32 40 48 64 256; do
    png=$(render "$name-$n" "$n")
    if [[ " $* " == *" $n "* ]]; then
      # flat artwork: lossless recompression and no ancillary chunks keep it
      # small; it stays 8-bit RGBA, the form Windows expects for PNG entries
      optipng -quiet -o7 -nc -nb -strip all "$png"
      raw+=(--raw="$png")
    else
      bmp+=("$png")
    fi
  done
  icotool -c -b 32 -o "$ico" "${bmp[@]}" "${raw[@]}"
}

mkdir -p res/icons
for slot in 0 1 2 3 4 5 6 7; do
  id=$(printf '%02d' "$slot")
  pack "fld$id" "res/icons/fld$id.ico" 256

  xp=()
  for n in 16 32 48; do
    xp+=("$tmp/fld$id-$n.png")
  done
  icotool -c -b 32 -o "res/icons/FldXP$id.ico" "${xp[@]}"
done

pack app res/Vorelkin.ico 32 40 48 64 256

echo "make-icons: wrote res/icons/fld00-07.ico, res/icons/FldXP00-07.ico, res/Vorelkin.ico"
