#!/usr/bin/env bash
# Marks a folder on a full disk: a small tmpfs, mounted as a Wine drive, that
# the hidden unit test fills before it marks. Without root (no mount) or a
# free drive letter the test says so and is skipped (77).
#   full_disk.sh <unit test executable>
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
mnt=$(mktemp -d) link=
cleanup() {
  [ -z "$link" ] || rm -f "$link"
  ! mountpoint -q "$mnt" || timeout 10 umount "$mnt" || timeout 10 umount -l "$mnt"
  rmdir "$mnt"
}
trap cleanup EXIT
timeout 10 mount -t tmpfs -o size=256k vrk-full "$mnt" 2>/dev/null ||
  { echo "SKIPPED: a tmpfs cannot be mounted here (root is needed)"; exit 77; }
for letter in t u v w x y; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] && continue
  link="$WINEPREFIX/dosdevices/$letter:" && ln -s "$mnt" "$link" && break
done
[ -n "$link" ] || { echo "SKIPPED: no free drive letter"; exit 77; }
VRK_FULL_DRIVE="${letter^^}:" timeout 120 "$VORELKIN_WINE" "$1" \
  --gtest_also_run_disabled_tests --gtest_filter=FullDisk.DISABLED_NothingIsLost </dev/null
