#!/usr/bin/env bash
# Times zelvorn-cli's line mode on real-shaped links (Thunder, FlashGet and
# QQ Whirlwind links of ASCII, UTF-8 and GBK addresses, some with a web
# page's "&" parameter) against reading and writing the same bytes with cat
# (into a file: cat into /dev/null need not copy at all), and prints the
# ratios (ours / cat) and our peak memory.
# Usage: bench/line_mode.sh [LINKS]   (1000000 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000000}
. bench/timing.sh  # builds zelvorn-cli as $cli; $work is a scratch folder
# A few thousand distinct addresses, repeated up to the count.
for i in $(seq 1 3000); do
  case $((i % 4)) in
    0) echo "http://dl.example.com/soft/setup-$i.exe" ;;
    1) echo "ftp://ftp.example.org/pub/linux/distro-$i/image-$i.iso" ;;
    2) echo "http://下载.example.cn/电影/第${i}集.mkv" ;;
    3) echo "https://cdn.example.net/files/$i/archive.tar.gz?token=abc$i" ;;
  esac
done > "$work/addresses"
{
  "$cli" to-thunder < "$work/addresses"
  "$cli" to-flashget --gbk < "$work/addresses" | sed 's/$/\&1926/'
  "$cli" to-qqdl < "$work/addresses"
} > "$work/sample"
for _ in $(seq 1 $((count / $(wc -l < "$work/sample") + 1))); do cat "$work/sample"; done | head -n "$count" > "$work/links" || true  # head ends the loop early
"$cli" decode < "$work/links" > "$work/addresses.out"
"$cli" to-qqdl < "$work/addresses.out" > /dev/null

dec=$(best "$work/links" "$cli" decode)
dec_cat=$(best "$work/links" sh -c 'cat > "$0"' "$work/copy")
enc=$(best "$work/addresses.out" "$cli" to-qqdl)
enc_cat=$(best "$work/addresses.out" sh -c 'cat > "$0"' "$work/copy")
dec_peak=$(peak "$work/links" "$cli" decode)

awk -v n="$count" -v mib="$(( $(stat -c %s "$work/links") / 1048576 ))" -v d="$dec" -v dc="$dec_cat" \
    -v e="$enc" -v ec="$enc_cat" -v dp="$dec_peak" 'BEGIN {
  printf "%d links (%d MiB)\n", n, mib
  printf "decode: zelvorn-cli %.2f s, cat %.2f s, ratio %.1f, peak %d KiB\n", d, dc, d / (dc > 0 ? dc : 0.01), dp
  printf "to-qqdl: zelvorn-cli %.2f s, cat %.2f s, ratio %.1f\n", e, ec, e / (ec > 0 ? ec : 0.01)
}'
