#!/usr/bin/env bash
# install.cmd and uninstall.cmd under Wine's cmd: the context-menu keys of
# folders and drives come with the right command, then go again.
#   install_scripts.sh <folder holding Vorelkin.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$1/Vorelkin.exe" "$stage/"
for f in install uninstall; do
  iconv -f UTF-8 -t CP932 "$root/packaging/$f.cmd" | sed 's/$/\r/' >"$stage/$f.cmd"
done
win_stage="Z:$(printf '%s' "$stage" | tr / '\\')"
wine() { timeout 60 "$VORELKIN_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
keys() { wine reg query "HKCU\\Software\\Classes\\$1\\shell\\Vorelkin" /s || true; }
fail() { echo "FAIL: $*"; exit 1; }

wine cmd /c "$win_stage\\install.cmd" >/dev/null
for kind in Directory Drive; do
  out=$(keys $kind)
  grep -qF "\"$win_stage\\Vorelkin.exe\" \"%1\"" <<<"$out" || fail "$kind command: $out"
  grep -q "MultiSelectModel.*Player" <<<"$out" || fail "$kind multi-selection: $out"
done
wine cmd /c "$win_stage\\uninstall.cmd" >/dev/null
for kind in Directory Drive; do
  [[ $(keys $kind) != *Vorelkin* ]] || fail "$kind key left behind"
done
echo "1 passed, 0 failed"
