#!/usr/bin/env bash
# Sets everything up and runs every test: the native tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the package tests, bounded
# fuzzing runs of the decoder and of the link finder, and the Windows tests
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== native tests (ASan + UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native -j2
ctest --preset native

echo "== fuzzing the decoder and the link finder (${ZELVORN_FUZZ_SECONDS:=60} s each)"
cmake -S . -B build/fuzz -DZELVORN_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz --target decode_fuzz extract_fuzz -j2
for target in decode extract; do
  seeds=fuzz/corpus
  [[ $target == extract ]] && seeds=fuzz/extract_corpus
  mkdir -p "build/fuzz/corpus-$target"
  "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$ZELVORN_FUZZ_SECONDS" -print_final_stats=0 \
    "build/fuzz/corpus-$target" "$seeds" 2>&1 | tail -n 2
done

echo "== Windows tests under Wine (Xvfb)"
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2
export WINEPREFIX=$PWD/build/windows-test/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  # The Wine server and its helper processes start here, not under a test
  # whose output is captured: they would hold the capturing pipe open.
  [[ -f $WINEPREFIX/system.reg ]] || { wineboot -i; wineserver -w; } >/dev/null 2>&1 </dev/null
  wineserver -p >/dev/null 2>&1
  wineboot >/dev/null 2>&1 </dev/null
  ctest --preset windows-test; rc=$?
  wineserver -k 2>/dev/null
  exit $rc'
