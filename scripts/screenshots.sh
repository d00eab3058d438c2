#!/usr/bin/env bash
# Retakes the README pictures, the first four from the real program under
# Wine and Xvfb:
#   docs/popup.png        the popup, pointer and hover bar on "重要"
#   docs/prompt.png       the description prompt that row opens, pre-filled
#   docs/desktop-ini.png  the desktop.ini the program then wrote, as text
#   docs/overview.png     the overview of that folder's parent, more marks in it
#   docs/icons.png        the shipped icons of every slot at Explorer's sizes
# It installs what is missing (ImageMagick too) and builds what it needs
# (Snap.exe is part of the build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# ImageMagick only for the pictures: the test command does not need it.
bash "$root/scripts/setup.sh" imagemagick
source "$root/scripts/wine-env.sh"
bash "$root/scripts/build.sh" "$VORELKIN_BUILD_ARCH"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win_work="Z:$(printf '%s' "$work" | tr / '\\')"
timeout -k 5 120 "$VORELKIN_WINE" "$root/build/$VORELKIN_BUILD_ARCH/bin/Snap.exe" "$win_work" \
  </dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'

docs="$root/docs"
mkdir -p "$docs"
# No time stamps in the PNGs: the same picture gives the same bytes.
png() { convert "$@" -strip -define png:exclude-chunks=date,time "$out"; }
out=$docs/popup.png png "$work/popup.bmp"
out=$docs/prompt.png png "$work/prompt.bmp"
out=$docs/overview.png png "$work/overview.bmp"

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

# The gallery: a row per slot, named as the popup names it, with the modern
# set at 16 to 256 px and the XP set at 16 to 48 px, each icon at its own
# pixel size on white. Slot 0 ships, but no entry shows it.
declare -A sizes=([fld]="16 32 48 256" [FldXP]="16 32 48")
declare -A titles=([fld]="fld0N.ico" [FldXP]="FldXP0N.ico (Windows XP)")
declare -A names=([0]="0 (未使用)")
while read -r slot name; do
  names[$slot]="$slot $name"
done < <(sed -n 's/^ *CONTROL "\([^"]*\)", IDC_SLOT\([1-7]\),.*/\2 \1/p' "$root/res/SelectDlg.rc")
((${#names[@]} == 8)) || { echo "screenshots: no entry names in res/SelectDlg.rc" >&2; exit 1; }
label_width=110 gap=20 head_height=26 row_height=272
column_width() { echo $(($1 < 48 ? 72 : $1 + 24)); } # for icons of that size
set_width() { # set: its columns and the gap before them
  local width=$gap n
  for n in ${sizes[$1]}; do width=$((width + $(column_width "$n"))); done
  echo "$width"
}
caption() { # width height text out
  convert -size "$1x$2" xc:white -font "$font" -pointsize 14 -fill black -gravity center \
    -annotate 0 "$3" "$4"
}
layer() { # ico-file size: that layer of the file, as ImageMagick names it
  local index
  index=$(identify -format '%w\n' "$1" | awk -v n="$2" '$1 == n { print NR - 1; exit }')
  [ -n "$index" ] || { echo "screenshots: no $2 px layer in $1" >&2; return 1; }
  echo "$1[$index]"
}
g=$work/gallery
mkdir -p "$g"
caption "$label_width" "$head_height" "" "$g/title-label.png"
cells=("$g/title-label.png")
for set in fld FldXP; do
  caption "$(set_width "$set")" "$head_height" "${titles[$set]}" "$g/title-$set.png"
  cells+=("$g/title-$set.png")
done
convert "${cells[@]}" +append "$g/title.png"
for row in head 0 1 2 3 4 5 6 7; do
  height=$([ "$row" = head ] && echo "$head_height" || echo "$row_height")
  caption "$label_width" "$height" "${names[$row]:-}" "$g/$row-label.png"
  cells=("$g/$row-label.png")
  for set in fld FldXP; do
    # a rule down the middle of the gap sets each set apart
    convert -size "${gap}x$height" xc:white -fill '#d8d8d8' \
      -draw "line $((gap / 2)),0 $((gap / 2)),$height" "$g/$row-$set-gap.png"
    cells+=("$g/$row-$set-gap.png")
    for n in ${sizes[$set]}; do
      cell=$g/$row-$set-$n.png
      if [ "$row" = head ]; then
        caption "$(column_width "$n")" "$height" "$n px" "$cell"
      else
        convert "$(layer "$root/res/icons/${set}0$row.ico" "$n")" -background white -flatten \
          -gravity center -extent "$(column_width "$n")x$height" "$cell"
      fi
      cells+=("$cell")
    done
  done
  # a thin rule under each row
  convert "${cells[@]}" +append -background '#d8d8d8' -gravity south -splice 0x1 "$g/$row.png"
done
out=$docs/icons.png png "$g"/{title,head,0,1,2,3,4,5,6,7}.png -append -bordercolor '#a0a0a0' -border 1
ls -l "$docs"/popup.png "$docs"/prompt.png "$docs"/desktop-ini.png "$docs"/overview.png "$docs"/icons.png
