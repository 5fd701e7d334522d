#!/usr/bin/env bash
# Time from launching Zelvorn.exe to the first thing the user sees (the main
# window, or the update prompt when the server publishes another version),
# for each answer of the tests' forum server, under Wine and Xvfb.
#
#   bench/startup_times.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR (default build/windows-test) is a Windows build configured with
# ZELVORN_FORUM_URL=http://127.0.0.1:PORT and the update-check tests built
# (target update_startup_tests); RUNS launches per case (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/windows-test}")
runs=${2:-5}

cmake --build "$build" -j2 --target update_startup_tests >/dev/null
exe=$(find "$build" -name update_startup_tests.exe -print -quit)
[[ -n $exe ]] || { echo "update_startup_tests.exe not found in $build" >&2; exit 1; }
server=$build/tests/winsupport/version-server
port=$(sed -n 's|^ZELVORN_FORUM_URL:STRING=http://127\.0\.0\.1:\([0-9]*\)$|\1|p' "$build/CMakeCache.txt")
[[ -n $port ]] || { echo "ZELVORN_FORUM_URL of $build is not http://127.0.0.1:PORT" >&2; exit 1; }

export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
[[ -f $WINEPREFIX/system.reg ]] || wineboot -i >/dev/null 2>&1

out=$(mktemp)
trap 'rm -f "$out"' EXIT
python3 tests/winsupport/version_server.py start "$server" "$port" $((port + 1000))
run() {
  # Wine's helpers start outside the captured output, or they would hold it open.
  wineserver -p >/dev/null 2>&1
  wineboot >/dev/null 2>&1
  wine "$1" --gtest_filter='ForumServer/Start.*' --gtest_repeat="$2" >"$3" 2>&1 || true
}
if [[ -n ${DISPLAY:-} ]]; then
  run "$exe" "$runs" "$out"
else
  export -f run
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c 'run "$@"' _ "$exe" "$runs" "$out"
fi
python3 tests/winsupport/version_server.py stop "$server"

grep -q 'FAILED' "$out" && { grep -E 'Failure|FAILED' "$out" | head >&2; echo "(some runs failed)" >&2; }
echo "launch to first shown, ms, over $runs runs (Wine $(wine --version 2>/dev/null | sed 's/wine-//'))"
grep '^\[  shown   \]' "$out" | awk '
  { key = $4 " (" $5 ")"; t[key] = t[key] " " $6; if (!(key in seen)) { seen[key] = 1; order[n++] = key } }
  END {
    printf "%-22s %7s %7s %7s\n", "server answers", "min", "median", "max"
    for (i = 0; i < n; i++) {
      k = order[i]; m = split(substr(t[k], 2), v, " ")
      for (a = 1; a <= m; a++) for (b = a + 1; b <= m; b++) if (v[b] + 0 < v[a] + 0) { x = v[a]; v[a] = v[b]; v[b] = x }
      printf "%-22s %7d %7d %7d\n", k, v[1], v[int((m + 1) / 2)], v[m]
    }
  }'
