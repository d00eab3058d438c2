#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, and the Debian
# packages named as arguments (what one script needs beyond that).
# Idempotent and quick when everything is already there. Only installing
# needs root: when something is missing and this is not root, the script
# re-runs itself through sudo, so the build itself stays the user's.
#   scripts/setup.sh [package...]
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
has_i386=$(dpkg --print-foreign-architectures | grep -qx i386 && echo yes || echo no)
has_locale=$(locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' && echo yes || echo no)

for p in cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
         g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
         mingw-w64-i686-dev mingw-w64-x86-64-dev googletest xvfb xauth locales x11-utils \
         fonts-ipafont-gothic clang-format python3 zip procps \
         fonts-wine "$@"; do
  have_pkg "$p" || need+=("$p")
done
# wine32 runs the 32-bit program where the kernel allows 32-bit processes;
# wine64 runs the 64-bit build of the same sources everywhere else.
have_pkg wine32:i386 || need+=(wine32:i386)
have_pkg wine64 || need+=(wine64)
have_pkg wine || need+=(wine)

if ((${#need[@]})) || [ "$has_i386" = no ] || [ "$has_locale" = no ]; then
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "setup: needs root to install ${need[*]:-the ja_JP.UTF-8 locale}, and there is no sudo" >&2
      exit 1
    fi
    exec sudo bash "$0" "$@"
  fi
fi

if [ "$has_i386" = no ]; then
  dpkg --add-architecture i386
fi

if ((${#need[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if [ "$has_locale" = no ]; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
