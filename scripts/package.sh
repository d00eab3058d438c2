#!/usr/bin/env bash
# Builds dist/Vorelkin-<version>.zip: the 32-bit program and its console
# twin Vorelkin.com, its icons, a short README and the context-menu install
# scripts, as Windows expects them (CP932 text with CRLF line ends).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" i686
version=$(sed -n 's/^#define VORELKIN_VERSION_TEXT "\(.*\)"/\1/p' "$root/app/Version.h")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir="$stage/Vorelkin-$version"
mkdir -p "$dir/icons"
cp "$root/build/i686/bin/Vorelkin.exe" "$root/build/i686/bin/Vorelkin.com" "$dir/"
cp "$root"/res/icons/*.ico "$dir/icons/"
for f in README.txt install.cmd uninstall.cmd; do
  iconv -f UTF-8 -t CP932 "$root/packaging/$f" | sed 's/$/\r/' >"$dir/$f"
done
mkdir -p "$root/dist"
zip="$root/dist/Vorelkin-$version.zip"
rm -f "$zip"
# Fixed times and order, so the same sources give the same zip.
find "$stage" -exec touch -d '2026-01-01 00:00:00' {} +
(cd "$stage" && find "Vorelkin-$version" | LC_ALL=C sort | zip -q -X -@ "$zip")
echo "$zip ($(stat -c %s "$zip") bytes; Vorelkin.exe $(stat -c %s "$dir/Vorelkin.exe") bytes)"
