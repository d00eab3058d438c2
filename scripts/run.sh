#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vorelkin on a folder under Wine
# (on the real display when there is one, else on a virtual one).
#   scripts/run.sh [folder]     (a Linux path; default: a new demo folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
export VORELKIN_DISPLAY=real
source "$root/scripts/wine-env.sh"
bash "$root/scripts/build.sh" "$VORELKIN_BUILD_ARCH"
folder=${1:-}
if [ -z "$folder" ]; then
  folder=$(mktemp -d /tmp/vorelkin-demo.XXXXXX)
fi
folder=$(cd "$folder" && pwd)
echo "Vorelkin on $folder (display $DISPLAY)"
"$VORELKIN_WINE" "$root/build/$VORELKIN_BUILD_ARCH/bin/Vorelkin.exe" "Z:$(printf '%s' "$folder" | tr / '\\')"
echo "desktop.ini:"; cat "$folder/desktop.ini" 2>/dev/null || echo "(none)"
