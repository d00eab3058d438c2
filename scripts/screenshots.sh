#!/usr/bin/env bash
# Retakes the README pictures from the real program under Wine and Xvfb:
#   docs/popup.png        the popup, pointer and hover bar on "重要"
#   docs/prompt.png       the description prompt that row opens, pre-filled
#   docs/desktop-ini.png  the desktop.ini the program then wrote, as text
# Run after scripts/setup.sh; it installs ImageMagick and builds what it
# needs (Snap.exe is part of the build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# ImageMagick only for the pictures: the test command does not need it.
if ! command -v convert >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi
source "$root/scripts/wine-env.sh"
bash "$root/scripts/build.sh" "$VORELKIN_BUILD_ARCH"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win_work="Z:$(printf '%s' "$work" | tr / '\\')"
timeout 120 "$VORELKIN_WINE" "$root/build/$VORELKIN_BUILD_ARCH/bin/Snap.exe" "$win_work" </dev/null

docs="$root/docs"
mkdir -p "$docs"
# No time stamps in the PNGs: the same picture gives the same bytes.
png() { convert "$@" -strip -define png:exclude-chunks=date,time "$out"; }
out=$docs/popup.png png "$work/popup.bmp"
out=$docs/prompt.png png "$work/prompt.bmp"

# desktop.ini is CP932 with CRLF line ends: shown in a fixed-width Japanese
# font, under a bar naming the file as the program saw it.
font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
text=$(iconv -f CP932 -t UTF-8 "$work/desktop.ini" | tr -d '\r')
folder=$(sed -n 's/^const char kTarget\[\] = "\(.*\)";/\1/p' "$root/tools/Snap.cpp")
# label: reads backslash escapes: each backslash of the text is doubled.
convert -background white -fill black -font "$font" -pointsize 15 -interline-spacing 4 \
  label:"${text//\\/\\\\}" -bordercolor white -border 14 "$work/body.png"
width=$(identify -format %w "$work/body.png")
convert -background '#dcdcdc' -fill black -font "$font" -pointsize 13 \
  label:"$folder\\\\desktop.ini" -bordercolor '#dcdcdc' -border 14x5 \
  -gravity west -extent "${width}x" "$work/head.png"
out=$docs/desktop-ini.png png "$work/head.png" "$work/body.png" -append -bordercolor '#a0a0a0' -border 1
ls -l "$docs"/popup.png "$docs"/prompt.png "$docs"/desktop-ini.png
