#!/usr/bin/env bash
# Builds what the benchmark needs and prints its figures: start-up against a
# floor program, confirmation with many shell windows open, GUI handles over
# repaints (run under Wine and Xvfb), and the size of the release executable.
# (e) times the overview's export over a generated tree of 100,000 folders,
# (w) the overview window's first rows and answers while it scans that tree,
# (l) the window following changes under that tree and its next opening,
# (s) /set on 1,000 folders in one call against a floor that writes the bytes,
# (u) that /set with the undo journal against without it (VORELKIN_DATA=off,
# the benchmark's switch), and /undo of it against the /set; (b) also gives
# the confirmation with the journal against without.
#   scripts/bench.sh [repetitions] [parts]   (default 15 and abcdewlsu)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repetitions=${1:-15}
parts=${2:-abcdewlsu}
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

# The overview's tree, made from the Linux side, as Wine needs minutes for
# it: 100 x 10 x 99 folders and the 100 x 10 between; every 99th leaf (1,000
# in all) marked with a desktop.ini and the System bit, which Wine keeps in
# the user.DOSATTRIB extended attribute.
tree="$WINEPREFIX/drive_c/vrk-bench-tree"
if [[ $parts == *[ewl]* && ! -f "$tree.ready-1000" ]]; then
  rm -rf "$tree"
  python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
n = 0
for a in range(100):
    for b in range(10):
        for c in range(99):
            path = f"{root}/{a:03d}/{b:02d}/{c:02d}"
            os.makedirs(path)
            n += 1
            if n % 99 == 0:
                slot = n // 99 % 8
                ini = f"[.ShellClassInfo]\r\nIconFile=C:\\icons\\fld0{slot}.ico\r\nIconIndex=0\r\nInfoTip=説明 {n}\r\n"
                with open(f"{path}/desktop.ini", "wb") as f:
                    f.write(ini.encode("cp932"))
                os.setxattr(f"{path}/desktop.ini", "user.DOSATTRIB", b"0x6")
                os.setxattr(path, "user.DOSATTRIB", b"0x4")
PY
  touch "$tree.ready-1000"
fi

cd "$root/build/$arch/bin"
timeout 3600 "$VORELKIN_WINE" bench.exe "$repetitions" "$parts" 'C:\vrk-bench-tree' | tr -d '\r'

[[ $parts == *d* ]] || exit 0
exe="$root/build/i686/bin/Vorelkin.exe"
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
i686-w64-mingw32-strip -o "$stripped" "$exe"
bytes=$(stat -c %s "$stripped")
kb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1024 }')
verdict=$(awk -v b="$bytes" 'BEGIN { print (b <= 200 * 1024 ? "MET" : "MISSED") }')
echo "(d) stripped size of build/i686/bin/Vorelkin.exe (i686 release)"
echo "    $bytes bytes = $kb KB  target <= 200 KB  $verdict"
