#!/usr/bin/env bash
# Under Wine and Xvfb: the cost of the window's pump, and the time from a
# click on 普通地址 -> 旋风地址 to the result, for addresses of 64 KiB,
# 256 KiB and 1 MiB in lines of 76 characters brought in by the paste
# button. (Start times: bench/startup_times.sh.)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target window_bench
port=$(sed -n 's|^ZELVORN_FORUM_URL:STRING=http://127\.0\.0\.1:\([0-9]*\)$|\1|p' "$build/CMakeCache.txt")
server=$build/tests/winsupport/version-server
python3 tests/winsupport/version_server.py start "$server" "$port" $((port + 1000))
trap 'python3 tests/winsupport/version_server.py stop "$server"' EXIT
out=$(mktemp)
# The Windows tests' own Wine session (prefix, code page 936, a display).
tests/winsupport/wine-session.sh "$build" "$build/tests/win/window_bench.exe" >"$out" 2>&1 || true
grep -E "KiB|calls|ended|showed" "$out"
rm -f "$out"
