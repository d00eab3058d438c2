#!/usr/bin/env bash
# install.cmd and uninstall.cmd under Wine's cmd, run from a folder whose
# name holds & and !: the context-menu keys of folders, drives and folder
# backgrounds come with the right commands, then go again.
#   install_scripts.sh <folder holding Vorelkin.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
stage="$tmp/R&D !x"
mkdir "$stage"
cp "$1/Vorelkin.exe" "$stage/"
for f in install uninstall; do
  iconv -f UTF-8 -t CP932 "$root/packaging/$f.cmd" | sed 's/$/\r/' >"$stage/$f.cmd"
done
win_stage="Z:$(printf '%s' "$stage" | tr / '\\')"
exe="\"$win_stage\\Vorelkin.exe\""
wine() { timeout 60 "$VORELKIN_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r' | iconv -f CP932 -t UTF-8; }
keys() { wine reg query "HKCU\\Software\\Classes\\$1" /s || true; }
fail() { echo "FAIL: $*"; exit 1; }

# Started through "call", so the path stays one quoted word, as Explorer's
# double-click passes it.
wine cmd /c call "$win_stage\\install.cmd" >/dev/null
for kind in Directory Drive; do
  out=$(keys "$kind\\shell\\Vorelkin")
  grep -qF "$exe \"%1\"" <<<"$out" || fail "$kind command: $out"
  grep -q "MultiSelectModel.*Player" <<<"$out" || fail "$kind multi-selection: $out"
done
for verb in 'Directory\shell\VorelkinList|%1' 'Drive\shell\VorelkinList|%1' \
  'Directory\Background\shell\VorelkinList|%V'; do
  out=$(keys "${verb%|*}")
  grep -qF "状態の一覧(&L)..." <<<"$out" || fail "${verb%|*} name: $out"
  grep -qF "$exe /list \"${verb#*|}\"" <<<"$out" || fail "${verb%|*} command: $out"
done
wine cmd /c call "$win_stage\\uninstall.cmd" >/dev/null
for key in 'Directory\shell' 'Drive\shell' 'Directory\Background\shell'; do
  [[ $(keys "$key") != *Vorelkin* ]] || fail "$key left behind"
done
echo "1 passed, 0 failed"
