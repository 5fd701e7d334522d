#!/usr/bin/env bash
# Under Wine and Xvfb: the time from a click to the result for long
# addresses, and the time from launch to the window shown for each answer of
# the version server (printed by the update-check tests).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target window_bench e2e_tests
export WINEPREFIX=$PWD/build/windows-test/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
[[ -f $WINEPREFIX/system.reg ]] || wineboot -i >/dev/null 2>&1
out=$(mktemp)
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wineserver -p >/dev/null 2>&1; wineboot >/dev/null 2>&1
  python3 tests/win/version_server.py 18431 build/windows-test/tests/win/version-server >/dev/null 2>&1 &
  wine build/windows-test/tests/win/window_bench.exe "Z:$PWD/build/windows-test/tests/win/e2e/Zelvorn.exe" > "$1" 2>&1
  wine build/windows-test/tests/win/e2e_tests.exe --gtest_filter="VersionServer/*" >> "$1" 2>&1 </dev/null
  kill %1; wineserver -k' _ "$out" >/dev/null 2>&1 || true
grep -E "KiB|shown|ended" "$out"
rm -f "$out"
