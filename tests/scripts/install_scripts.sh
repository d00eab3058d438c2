#!/usr/bin/env bash
# install.cmd and uninstall.cmd under Wine's cmd: the context-menu keys
# appear with the right command, then go again.
#   install_scripts.sh <folder holding Vorelkin.exe>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
bin=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$bin/Vorelkin.exe" "$stage/"
for f in install.cmd uninstall.cmd; do
  iconv -f UTF-8 -t CP932 "$root/packaging/$f" | sed 's/$/\r/' >"$stage/$f"
done
win_stage="Z:$(printf '%s' "$stage" | tr / '\\')"
wine() { timeout 60 "$VORELKIN_WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
fail() { echo "FAIL: $*"; exit 1; }

wine cmd /c "$win_stage\\install.cmd" >/dev/null
for kind in Directory Drive; do
  out=$(wine reg query "HKCU\\Software\\Classes\\$kind\\shell\\Vorelkin\\command" /ve)
  grep -qF "\"$win_stage\\Vorelkin.exe\" \"%1\"" <<<"$out" || fail "$kind command: $out"
  out=$(wine reg query "HKCU\\Software\\Classes\\$kind\\shell\\Vorelkin" /v MultiSelectModel)
  grep -q Player <<<"$out" || fail "$kind multi-selection: $out"
done

wine cmd /c "$win_stage\\uninstall.cmd" >/dev/null
for kind in Directory Drive; do
  if wine reg query "HKCU\\Software\\Classes\\$kind\\shell\\Vorelkin" | grep -q Vorelkin; then
    fail "$kind key left behind"
  fi
done
echo "1 passed, 0 failed"
