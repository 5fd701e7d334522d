#!/usr/bin/env bash
# Times zelvorn-cli against GNU base64 on the same 100 MiB, in one run:
#   to-qqdl --raw    vs  base64 -w 76
#   from-qqdl --raw  vs  base64 -d
# and prints the ratios (ours / coreutils; below 1 is faster) and our peak
# memory against the input size. Usage: bench/cli_vs_coreutils.sh [MiB]
set -euo pipefail
cd "$(dirname "$0")/.."
mib=${1:-100}
. bench/timing.sh  # builds zelvorn-cli as $cli; $work is a scratch folder
size=$((mib * 1024 * 1024))
# An address of random bytes without a zero byte (a text ends at its first).
{ printf 'http://'; head -c "$size" /dev/urandom | tr '\000' '\001'; } | head -c "$size" > "$work/address"
"$cli" to-qqdl --raw < "$work/address" > "$work/link"
base64 -w 76 < "$work/address" > "$work/base64"  # the same lines, LF-ended, for coreutils


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
