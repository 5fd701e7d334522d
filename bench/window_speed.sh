#!/usr/bin/env bash
# Under Wine and Xvfb: the time from a click on 普通地址 -> 旋风地址 to the
# result, for addresses of 64 KiB, 256 KiB and 1 MiB in lines of 76
# characters brought in by the paste button. (Start times:
# bench/startup_times.sh.)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target window_bench e2e_tests
export WINEPREFIX=$PWD/build/windows-test/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
[[ -f $WINEPREFIX/system.reg ]] || wineboot -i >/dev/null 2>&1
out=$(mktemp)
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wineserver -p >/dev/null 2>&1; wineboot >/dev/null 2>&1 </dev/null
  wine build/windows-test/tests/win/window_bench.exe "Z:$PWD/build/windows-test/tests/win/e2e/Zelvorn.exe" > "$1" 2>&1 </dev/null
  wineserver -k' _ "$out" >/dev/null 2>&1 || true
grep -E "KiB|ended" "$out"
rm -f "$out"
