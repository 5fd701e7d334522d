#!/usr/bin/env bash
# Sets everything up, builds Zelvorn.exe and runs it under Wine. With no
# display it runs in Xvfb, waits for the window and saves a screenshot to
# build/screenshot.png, then closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target zelvorn zelvorn-cli

export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
[[ -d $WINEPREFIX ]] || wineboot -i >/dev/null 2>&1
exe=build/windows/app/Zelvorn.exe

if [[ -n ${DISPLAY:-} ]]; then
  exec wine "$exe"
fi

shot=$PWD/build/screenshot.png
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine "$1" & pid=$!
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "Zelvorn V1.3" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 1.5
  import -window root "$2"
  kill $pid 2>/dev/null; wineserver -k 2>/dev/null || true
' _ "$exe" "$shot"
echo "Screenshot of the window: $shot"
