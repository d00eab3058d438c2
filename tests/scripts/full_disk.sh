#!/usr/bin/env bash
# Marks a folder on a full disk: a small tmpfs, mounted as a Wine drive, that
# the hidden unit test fills before it marks.
#   full_disk.sh <unit test executable>
# Needs root for the mount; without it the test says so and is skipped (77).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
mnt=$(mktemp -d)
link=
cleanup() {
  [ -n "$link" ] && rm -f "$link"
  mountpoint -q "$mnt" && { timeout 10 umount "$mnt" || timeout 10 umount -l "$mnt"; }
  rmdir "$mnt"
}
trap cleanup EXIT
if ! timeout 10 mount -t tmpfs -o size=256k vrk-full "$mnt" 2>/dev/null; then
  echo "SKIPPED: a tmpfs cannot be mounted here (root is needed)"
  exit 77
fi
for letter in t u v w x y; do
  if [ ! -e "$WINEPREFIX/dosdevices/$letter:" ]; then
    link="$WINEPREFIX/dosdevices/$letter:"
    ln -s "$mnt" "$link"
    break
  fi
done
[ -n "$link" ] || { echo "SKIPPED: no free drive letter"; exit 77; }
VRK_FULL_DRIVE="${letter^^}:" timeout 120 "$VORELKIN_WINE" "$1" \
  --gtest_also_run_disabled_tests --gtest_filter=FullDisk.DISABLED_NothingIsLost </dev/null
