#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vorelkin on a folder under Wine.
# With a display, the program opens there and waits for the user. Without
# one nobody could click, so the picture taker (tools/Snap.cpp) drives it on
# a virtual display as a demo: the popup, "重要", a typed description, OK.
# Either way the folder's desktop.ini is printed at the end.
#   scripts/run.sh [folder]     (a Linux path; default: a new demo folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
shown=${DISPLAY:-}
export VORELKIN_DISPLAY=real
source "$root/scripts/wine-env.sh"
bash "$root/scripts/build.sh" "$VORELKIN_BUILD_ARCH"
folder=${1:-}
if [ -z "$folder" ]; then
  folder=$(mktemp -d /tmp/vorelkin-demo.XXXXXX)
fi
folder=$(cd "$folder" && pwd)
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
bin=$root/build/$VORELKIN_BUILD_ARCH/bin
status=0
if [ -n "$shown" ]; then
  echo "Vorelkin on $folder (display $DISPLAY)"
  "$VORELKIN_WINE" "$bin/Vorelkin.exe" "$(windows_path "$folder")"
else
  pictures=$root/build/demo
  rm -rf "$pictures"
  mkdir -p "$pictures"
  echo "No display: a demo of Vorelkin on $folder (virtual display $DISPLAY)"
  # Snap's every wait has a limit; should Wine hang, timeout ends Snap and,
  # in the same process group, the program it started.
  timeout -k 5 60 "$VORELKIN_WINE" "$bin/Snap.exe" --demo "$(windows_path "$folder")" \
    "$(windows_path "$pictures")" </dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' ||
    status=${PIPESTATUS[0]}
  echo "pictures:"
  ls -1 "$pictures"/*.bmp 2>/dev/null | sed 's/^/  /' || echo "  (none)"
fi
echo "desktop.ini:"
iconv -f CP932 -t UTF-8 "$folder/desktop.ini" 2>/dev/null | tr -d '\r' | sed 's/^/  /' || echo "  (none)"
exit "$status"
