#!/usr/bin/env bash
# Sets everything up, builds Zelvorn.exe and runs it under Wine.
#
# - With a display (DISPLAY names an X server that answers), the program
#   starts there, framed by the desktop's window manager.
# - Without one, it runs in Xvfb with the frame and title bar drawn by Wine,
#   as on Windows. The script waits up to ZELVORN_WINDOW_LIMIT seconds (30
#   by default) for the window, saves a picture of the whole window to
#   build/screenshot.png and closes the program. When the window has not
#   shown by then, or the picture is empty, it says so on standard error and
#   exits with status 1.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."

# Makes the Wine prefix on first use, on the display the program will use.
# $1 is Y when the desktop's window manager frames the windows, N when Wine
# draws the frames itself.
prepare_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "Making the Wine prefix $WINEPREFIX (once, about 20 s)" >&2
    wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  # The caption buttons, check marks and scroll arrows that Wine draws are
  # glyphs of its Marlett font; this Wine does not load the fonts of its own
  # data folder, so the prefix gets a copy (without it the buttons read "0 1 r").
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  if [[ $(cat "$WINEPREFIX/.zelvorn-managed" 2>/dev/null) != "$1" ]]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$1" /f </dev/null >/dev/null 2>&1
    echo "$1" >"$WINEPREFIX/.zelvorn-managed"
  fi
}

# Inside Xvfb: start the program, wait for its window, save the picture.
screenshot_session() {
  prepare_prefix N
  wine "$ZELVORN_EXE" </dev/null >/dev/null 2>&1 &
  local pid=$! id= deadline=$((SECONDS + ZELVORN_WINDOW_LIMIT)) pattern=${ZELVORN_TITLE//./\\.}
  while [[ -z $id ]]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      local status=0
      wait "$pid" || status=$?
      echo "run.sh: Zelvorn.exe ended (status $status) before its window \"$ZELVORN_TITLE\" showed" >&2
      return 1
    fi
    if ((SECONDS >= deadline)); then
      echo "run.sh: the window \"$ZELVORN_TITLE\" did not show within $ZELVORN_WINDOW_LIMIT s" >&2
      local other
      for other in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        [[ $(xdotool getwindowname "$other" 2>/dev/null) != *"$ZELVORN_TITLE"* ]] || continue
        echo "run.sh: on the screen instead: \"$(xdotool getwindowname "$other" 2>/dev/null)\"" >&2
      done
      wineserver -k 2>/dev/null || true
      return 1
    fi
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1) || true
    [[ -n $id ]] || sleep 0.2
  done
  sleep 1  # the window paints its controls and its banner after it shows
  import -window "$id" "$ZELVORN_SHOT"
  wineserver -k 2>/dev/null || true
  local colours
  colours=$(identify -format '%k' "$ZELVORN_SHOT")
  if ((colours < 16)); then
    echo "run.sh: the picture of the window is empty ($colours colours): $ZELVORN_SHOT" >&2
    return 1
  fi
}

if [[ ${1:-} == --screenshot-session ]]; then  # run.sh calling itself inside Xvfb
  screenshot_session
  exit
fi

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target zelvorn zelvorn-cli

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
export ZELVORN_TITLE="Zelvorn V$version"  # the end of the window's title
export ZELVORN_EXE=$PWD/build/windows/app/Zelvorn.exe
export ZELVORN_SHOT=$PWD/build/screenshot.png
export ZELVORN_WINDOW_LIMIT=${ZELVORN_WINDOW_LIMIT:-30}
export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8

if [[ -n ${DISPLAY:-} ]]; then
  if xdpyinfo >/dev/null 2>&1; then
    prepare_prefix Y
    exec wine "$ZELVORN_EXE"
  fi
  echo "run.sh: the display $DISPLAY does not answer; running in Xvfb instead" >&2
  unset DISPLAY
fi

# A Wine server of this prefix that is still alive (a run a moment ago)
# keeps its desktop on its own display: a program joining it would show its
# window there, never on this Xvfb.
wineserver -k 2>/dev/null || true
wineserver -w
rm -f "$ZELVORN_SHOT"
status=0
xvfb-run -a -s "-screen 0 1024x768x24" "$self" --screenshot-session || status=$?
wineserver -w
if ((status)); then
  exit 1
fi
echo "Screenshot of the window: $ZELVORN_SHOT"
