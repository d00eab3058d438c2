#!/usr/bin/env bash
# Regenerates the folder-status icons and the application icon from the
# drawings in res/icons-src/make_svgs.py.
#
#   res/icons-src/svg/*.svg    per-size SVGs (kept in git so they can be viewed)
#   res/icons/fld00..07.ico    16 20 24 32 40 48 64 as 32-bit BMP + 256 as PNG
#   res/icons/FldXP00..07.ico  16 32 48 as 32-bit BMP only: XP cannot read PNG
#   res/Vorelkin.ico           application icon, 16 32 48 as 32-bit BMP
#
# Only Debian packages are used; missing ones are installed with apt-get.
# The output carries no timestamps, so a rerun gives identical bytes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

need=()
command -v python3 >/dev/null || need+=(python3)
command -v rsvg-convert >/dev/null || need+=(librsvg2-bin)
command -v icotool >/dev/null || need+=(icoutils)
command -v optipng >/dev/null || need+=(optipng)
if ((${#need[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "make-icons: missing packages: ${need[*]} (run as root or install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

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

mkdir -p res/icons
for slot in 0 1 2 3 4 5 6 7; do
  id=$(printf '%02d' "$slot")
  bmp=()
  for n in 16 20 24 32 40 48 64; do
    bmp+=("$(render "fld$id-$n" "$n")")
  done
  big=$(render "fld$id-256" 256)
  # flat artwork: lossless recompression and no ancillary chunks keep it
  # small; it stays 8-bit RGBA, the form Windows expects for PNG icon entries
  optipng -quiet -o7 -nc -nb -strip all "$big"
  icotool -c -b 32 -o "res/icons/fld$id.ico" "${bmp[@]}" --raw="$big"

  xp=()
  for n in 16 32 48; do
    xp+=("$tmp/fld$id-$n.png")
  done
  icotool -c -b 32 -o "res/icons/FldXP$id.ico" "${xp[@]}"
done

app=()
for n in 16 32 48; do
  app+=("$(render "app-$n" "$n")")
done
icotool -c -b 32 -o res/Vorelkin.ico "${app[@]}"

echo "make-icons: wrote res/icons/fld00-07.ico, res/icons/FldXP00-07.ico, res/Vorelkin.ico"
