#!/usr/bin/env bash
# The cross-compiling emulator of the Windows tests: runs one Windows program
# under Wine in a session that is ready for windows, so that
# `ctest --test-dir BUILD` needs nothing started beforehand.
#
#   wine-session.sh BUILD_DIR PROGRAM [ARGS...]
#
# - WINEPREFIX defaults to BUILD_DIR/wineprefix (made on first use, ~10 s).
#   With ZELVORN_TEST_DPI=N it is BUILD_DIR/wineprefix-dpiN instead, a
#   prefix whose screen has N DPI (LogPixels).
# - WINEDEBUG=-all and WINEDLLOVERRIDES="mscoree,mshtml=" (no install
#   prompts) unless already set; LC_ALL=zh_CN.UTF-8 (code page 936) always,
#   or ZELVORN_TEST_LOCALE.
# - When DISPLAY names a running X server, that one is used. Otherwise the
#   session has its own Xvfb, on a free display number; it ends when the
#   wineserver ends, 60 s after the last Windows program of the session.
# - Wine's windows are unmanaged: there is no window manager to wait for.
# - Wine's server and helper processes are started here, detached from the
#   caller's output, and the program's output reaches the caller through a
#   file: a wineserver or explorer.exe started by a wine whose output CTest
#   captures would hold that pipe open and CTest would wait for it.
set -euo pipefail

build=$1
shift
state=$build/wine-session
mkdir -p "$state"

dpi=${ZELVORN_TEST_DPI:-}
if [[ -n $dpi ]]; then
  export WINEPREFIX=$build/wineprefix-dpi$dpi
else
  export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=${ZELVORN_TEST_LOCALE:-zh_CN.UTF-8}
mkdir -p "$WINEPREFIX"

alive() { [[ -n ${1:-} ]] && kill -0 "$1" 2>/dev/null; }

# The wineserver of this prefix: its working folder is named after the
# prefix's device and inode.
server_pid() {
  local name p
  name=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for p in $(pgrep -x wineserver64 2>/dev/null; pgrep -x wineserver 2>/dev/null); do
    [[ $(readlink "/proc/$p/cwd" 2>/dev/null) == */"$name" ]] && { echo "$p"; return; }
  done
  return 0
}

exec 9>"$state/lock"
flock 9

own_display=0
if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  :
elif alive "$(cat "$state/xvfb.pid" 2>/dev/null)"; then
  export DISPLAY=:$(cat "$state/display")
else
  rm -f "$state/display"
  setsid Xvfb -displayfd 8 -screen 0 1024x768x24 -nolisten tcp 8>"$state/display" </dev/null >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [[ -s $state/display ]] && break; sleep 0.05; done
  [[ -s $state/display ]] || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$(cat "$state/display")
  own_display=1
fi

# A server started for another display would keep its desktop (and with it
# the X clipboard) there: start over.
server=$(server_pid)
if [[ -n $server ]] && ((own_display)); then
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  server=
elif [[ -n $server && -f $state/server ]]; then
  read -r recorded_pid recorded_display <"$state/server" || true
  if [[ $recorded_pid == "$server" && $recorded_display != "$DISPLAY" ]]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    server=
  fi
fi

if [[ -z $server ]]; then
  wineserver -p60 </dev/null >/dev/null 2>&1
  server=$(server_pid)
  echo "$server $DISPLAY" >"$state/server"
  if [[ -f $WINEPREFIX/system.reg ]]; then
    wineboot </dev/null >/dev/null 2>&1 || true
  else
    wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
fi
# The caption buttons Wine draws are glyphs of its Marlett font, which this
# Wine does not load from its own data folder (without it they read "0 1 r").
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Wine reads the screen's DPI when its server starts: set it, then start again.
if [[ -n $dpi && ! -f $WINEPREFIX/.logpixels-$dpi ]]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p60 </dev/null >/dev/null 2>&1
  echo "$(server_pid) $DISPLAY" >"$state/server"
  wineboot </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.logpixels-$dpi"
fi
# Without a window manager, Wine waits 2 s for one to acknowledge every
# top-level window it hides (a closed message box, the closed main window)
# unless its windows are unmanaged.
if [[ ! -f $WINEPREFIX/.unmanaged-windows ]]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.unmanaged-windows"
fi
if ((own_display)); then
  # The session's Xvfb ends with the wineserver.
  setsid bash -c 'wineserver -w; kill "$1"' _ "$(cat "$state/xvfb.pid")" </dev/null >/dev/null 2>&1 &
fi

flock -u 9
exec 9>&-
# Through a file, not straight into the caller's pipe: a helper that the
# program starts (explorer.exe for the desktop and the clipboard) inherits
# its output and outlives it, and would hold CTest's pipe open.
out=$(mktemp "$state/output.XXXXXX")
trap 'rm -f "$out"' EXIT
status=0
wine "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit "$status"
