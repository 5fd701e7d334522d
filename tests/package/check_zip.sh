#!/usr/bin/env bash
# Takes the Windows zip apart as a user unpacks it.
#
#   check_zip.sh SOURCE VERSION
set -euo pipefail
source=$1 version=$2
build=$source/build/windows-package
fail() { echo "FAIL: $*" >&2; exit 1; }

top=Zelvorn-$version-win64
zip=$build/$top.zip
[[ -f $zip ]] || fail "no package $zip"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One folder with the two programs and the README, nothing else.
entries=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' "$top/README.txt" "$top/Zelvorn.exe" "$top/zelvorn-cli.exe")
[[ $entries == "$expected" ]] || fail "zip entries:"$'\n'"$entries"
(cd "$scratch" && cmake -E tar xf "$zip")

# 64-bit Windows programs that need no DLL but those Windows itself has
# (Wine's own set of system DLLs stands for them): a DLL of the compiler's
# runtime would be missing on the user's machine.
system_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
for exe in Zelvorn.exe zelvorn-cli.exe; do
  dump=$(x86_64-w64-mingw32-objdump -p "$scratch/$top/$exe")
  grep -q '^Magic.*20b' <<<"$dump" || fail "$exe is not a 64-bit (PE32+) program"
  for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$dump"); do
    [[ -f $system_dlls/${dll,,} ]] || fail "$exe needs $dll, which Windows does not have"
  done
done
subsystem() { x86_64-w64-mingw32-objdump -p "$scratch/$top/$1" | sed -n 's/^Subsystem\s\+//p'; }
[[ $(subsystem Zelvorn.exe) == 00000002* ]] || fail "Zelvorn.exe is not a window program: $(subsystem Zelvorn.exe)"
[[ $(subsystem zelvorn-cli.exe) == 00000003* ]] || fail "zelvorn-cli.exe is not a console program: $(subsystem zelvorn-cli.exe)"

# The README as Notepad reads it: UTF-8 with a byte-order mark, every line
# ended by CR LF, with this version and this build's addresses filled in.
readme=$scratch/$top/README.txt
[[ $(head -c 3 "$readme" | od -An -tx1 | tr -d ' ') == efbbbf ]] || fail "README.txt has no UTF-8 byte-order mark"
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null || fail "README.txt is not UTF-8"
[[ $(tail -c 2 "$readme" | od -An -tx1 | tr -d ' ') == 0d0a ]] || fail "README.txt does not end with CR LF"
bare=$(grep -c $'[^\r]$' "$readme" || true)
((bare == 0)) || fail "README.txt has $bare lines without CR LF"
grep -q "Zelvorn $version for Windows" "$readme" || fail "README.txt does not name version $version"
grep -q '@[A-Z_]*@' "$readme" && fail "README.txt has unfilled fields: $(grep -o '@[A-Z_]*@' "$readme" | sort -u | tr '\n' ' ')"
for option in FORUM SITE THUNDER FLASHGET QQDL; do
  value=$(sed -n "s/^ZELVORN_${option}_URL:STRING=//p" "$build/CMakeCache.txt")
  grep -q "ZELVORN_${option}_URL *$value" "$readme" || fail "README.txt does not give ZELVORN_${option}_URL as $value"
done
echo "$top.zip: $(wc -c <"$zip") bytes"
