# Sourced: the one place that owns the Wine environment. It sets the
# variables, and starts (once) a virtual display, a persistent wineserver and
# a keep-alive process for this checkout's prefix.
#
#   VORELKIN_DISPLAY=real   use $DISPLAY when there is one (the run command)
#   VORELKIN_WINEARCH       win32 or win64; by default win32 where this host
#                           runs 32-bit programs, else win64

vorelkin_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 # makes Wine's ANSI code page 932
# The users' zone, nine hours from UTC, so a time shown in UTC shows up;
# Wine takes each program's zone from TZ.
export TZ=Asia/Tokyo
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=" # nothing waits for a download

if [ -z "${VORELKIN_WINEARCH:-}" ]; then
  # A kernel without 32-bit support cannot start Wine's 32-bit loader.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    VORELKIN_WINEARCH=win32
  else
    VORELKIN_WINEARCH=win64
  fi
fi
export VORELKIN_WINEARCH WINEARCH=$VORELKIN_WINEARCH
if [ "$WINEARCH" = win32 ]; then
  export VORELKIN_WINE=/usr/lib/wine/wine VORELKIN_BUILD_ARCH=i686
else
  export VORELKIN_WINE=/usr/lib/wine/wine64 VORELKIN_BUILD_ARCH=x86_64
fi
export WINESERVER=/usr/lib/wine/wineserver

vorelkin_key=$(printf '%s' "$vorelkin_root" | cksum | cut -d' ' -f1)
export WINEPREFIX=${VORELKIN_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/vorelkin/wine-$WINEARCH-$vorelkin_key}

vorelkin_start_xvfb() {
  local n=$((100 + vorelkin_key % 400))
  if [ -e "/tmp/.X$n-lock" ] && kill -0 "$(tr -d ' ' <"/tmp/.X$n-lock")" 2>/dev/null; then
    export DISPLAY=:$n
    return
  fi
  rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
  # -noreset: otherwise the pointer jumps back whenever the last client leaves.
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 </dev/null &
  local i
  for i in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  export DISPLAY=:$n
}

if [ "${VORELKIN_DISPLAY:-virtual}" = real ] && [ -n "${DISPLAY:-}" ]; then
  :
else
  vorelkin_start_xvfb
fi

vorelkin_prepare_prefix() {
  [ -f "$WINEPREFIX/.vorelkin-ready" ] && return
  mkdir -p "$WINEPREFIX"
  "$VORELKIN_WINE" wineboot -i >/dev/null 2>&1 </dev/null
  local reg="$WINEPREFIX/vorelkin.reg"
  # No window manager: hiding a managed window waits for one for 2 s.
  # No crash dialog: a crash would otherwise wait on it forever.
  # Japanese dialog fonts map onto an installed gothic font.
  cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
REG
  iconv -f UTF-8 -t CP932 "$reg" >"$reg.sjis"
  "$VORELKIN_WINE" regedit /S "$(printf 'Z:%s' "$reg.sjis" | tr / '\\')" >/dev/null 2>&1 </dev/null
  "$WINESERVER" -w
  touch "$WINEPREFIX/.vorelkin-ready"
}

vorelkin_start_wineserver() {
  local keep="$WINEPREFIX/.vorelkin-keepalive"
  if [ -f "$keep" ] && kill -0 "$(cat "$keep")" 2>/dev/null; then
    return
  fi
  setsid "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  # Wine's own daemons start with the first program and would hold the
  # output pipe of whoever started that program; a process that never ends
  # keeps them alive, started here with its output nowhere.
  setsid bash -c 'sleep infinity | exec "$VORELKIN_WINE" cmd.exe' >/dev/null 2>&1 </dev/null &
  echo $! >"$keep"
  local i
  for i in $(seq 100); do
    pgrep -f 'services.exe' >/dev/null 2>&1 && break
    sleep 0.1
  done
}

vorelkin_prepare_prefix
# Wine draws the caption buttons with the Marlett font, but does not load it
# from its own data folder here; the prefix's Fonts folder it does read.
if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
vorelkin_start_wineserver
