#!/usr/bin/env bash
# Builds one architecture into build/<arch>: i686 (the release) or x86_64.
#   scripts/build.sh i686|x86_64 [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:?architecture}
shift
dir="$root/build/$arch"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DVORELKIN_WERROR=ON "$@" >/dev/null
fi
# Progress lines hidden; the build's own status decides (grep finding nothing is fine).
status=0
cmake --build "$dir" -j"$(nproc)" -- --no-print-directory | grep -vE '^\[ *[0-9]+%\]' ||
  status=${PIPESTATUS[0]}
exit "$status"
