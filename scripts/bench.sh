#!/usr/bin/env bash
# Builds what the benchmark needs and prints its figures: start-up against a
# floor program, confirmation with many shell windows open, GUI handles over
# repaints (run under Wine and Xvfb), and the size of the release executable.
#   scripts/bench.sh [repetitions]   (default 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repetitions=${1:-15}
source "$root/scripts/wine-env.sh"
# The release is always the 32-bit build; the timings run on the build this
# host's Wine can start.
bash "$root/scripts/build.sh" i686
arch=$VORELKIN_BUILD_ARCH
[ "$arch" = i686 ] || bash "$root/scripts/build.sh" "$arch"
status=0
cmake --build "$root/build/$arch" --target bench -- --no-print-directory | grep -vE '^\[ *[0-9]+%\]' ||
  status=${PIPESTATUS[0]}
[ "$status" = 0 ] || exit "$status"

cd "$root/build/$arch/bin"
timeout 1800 "$VORELKIN_WINE" bench.exe "$repetitions" | tr -d '\r'

exe="$root/build/i686/bin/Vorelkin.exe"
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
i686-w64-mingw32-strip -o "$stripped" "$exe"
bytes=$(stat -c %s "$stripped")
kb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }')
verdict=$(awk -v b="$bytes" 'BEGIN { print (b <= 200 * 1024 ? "MET" : "MISSED") }')
echo "(d) stripped size of build/i686/bin/Vorelkin.exe (i686 release)"
echo "    $bytes bytes = $kb KB  target <= 200 KB  $verdict"
