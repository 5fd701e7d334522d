#!/usr/bin/env bash
# Times zelvorn-cli against GNU base64 on the same 100 MiB, in one run:
#   to-qqdl --raw    vs  base64 -w 76
#   from-qqdl --raw  vs  base64 -d
# and prints the ratios (ours / coreutils; below 1 is faster) and our peak
# memory against the input size. Usage: bench/cli_vs_coreutils.sh [MiB]
set -euo pipefail
cd "$(dirname "$0")/.."
mib=${1:-100}
cmake --preset release >/dev/null
cmake --build --preset release --target zelvorn-cli -j2 >/dev/null
cli=build/release/cli/zelvorn-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=$((mib * 1024 * 1024))
# An address of random bytes without a zero byte (a text ends at its first).
{ printf 'http://'; head -c "$size" /dev/urandom | tr '\000' '\001'; } | head -c "$size" > "$work/address"
"$cli" to-qqdl --raw < "$work/address" > "$work/link"
base64 -w 76 < "$work/address" > "$work/base64"  # the same lines, LF-ended, for coreutils

best() {  # best of three wall-clock seconds of a command reading $1
  local input=$1; shift
  local t b=
  for _ in 1 2 3; do
    t=$( { /usr/bin/time -f %e "$@" < "$input" > /dev/null; } 2>&1 | tail -1)
    if [[ -z $b ]] || awk "BEGIN{exit !($t < $b)}"; then b=$t; fi
  done
  echo "$b"
}
peak() {  # peak resident KiB
  local input=$1; shift
  { /usr/bin/time -f %M "$@" < "$input" > /dev/null; } 2>&1 | tail -1
}

enc_ours=$(best "$work/address" "$cli" to-qqdl --raw)
enc_gnu=$(best "$work/address" base64 -w 76)
dec_ours=$(best "$work/link" "$cli" from-qqdl --raw)
dec_gnu=$(best "$work/base64" base64 -d)
enc_peak=$(peak "$work/address" "$cli" to-qqdl --raw)
dec_peak=$(peak "$work/link" "$cli" from-qqdl --raw)

awk -v mib="$mib" -v eo="$enc_ours" -v eg="$enc_gnu" -v do_="$dec_ours" -v dg="$dec_gnu" \
    -v ep="$enc_peak" -v dp="$dec_peak" -v in_kib="$((size / 1024))" -v link_kib="$(( $(stat -c %s "$work/link") / 1024 ))" 'BEGIN {
  printf "input: %d MiB\n", mib
  printf "encode: zelvorn-cli to-qqdl --raw %.2f s, base64 -w 76 %.2f s, ratio %.2f, peak %.2f x input\n", eo, eg, eo / eg, ep / in_kib
  printf "decode: zelvorn-cli from-qqdl --raw %.2f s, base64 -d %.2f s, ratio %.2f, peak %.2f x input\n", do_, dg, do_ / dg, dp / link_kib
}'
