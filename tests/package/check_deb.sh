#!/usr/bin/env bash
# Takes the Debian package of zelvorn-cli apart as dpkg would install it, and
# compares it with what `cmake --install` puts in place.
#
#   check_deb.sh SOURCE VERSION
set -euo pipefail
source=$1 version=$2
build=$source/build/release
fail() { echo "FAIL: $*" >&2; exit 1; }

arch=$(dpkg --print-architecture)
deb=$build/zelvorn-cli_${version}_$arch.deb
[[ -f $deb ]] || fail "no package $deb"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The control fields: the project's version, and the libraries the binary
# needs, as dpkg-shlibdeps found them.
[[ $(dpkg-deb -f "$deb" Package) == zelvorn-cli ]] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "version $(dpkg-deb -f "$deb" Version), project $version"
[[ $(dpkg-deb -f "$deb" Architecture) == "$arch" ]] || fail "architecture $(dpkg-deb -f "$deb" Architecture)"
depends=$(dpkg-deb -f "$deb" Depends)
depended=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for library in libc6 libstdc++6; do
  grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library: '$depends'"
done

# Exactly the program and its manual page.
dpkg-deb -x "$deb" "$scratch/root"
files=$(cd "$scratch/root" && find . -type f | sort)
expected=$'./usr/bin/zelvorn-cli\n./usr/share/man/man1/zelvorn-cli.1.gz'
[[ $files == "$expected" ]] || fail "package files:"$'\n'"$files"
[[ -x $scratch/root/usr/bin/zelvorn-cli ]] || fail "zelvorn-cli is not executable"

# The installed program converts, and says the project's version.
cli=$scratch/root/usr/bin/zelvorn-cli
[[ $("$cli" to-thunder ftp://a/) == thunder://QUFmdHA6Ly9hL1pa ]] || fail "to-thunder ftp://a/ gave '$("$cli" to-thunder ftp://a/)'"
[[ $("$cli" decode thunder://QUFmdHA6Ly9hL1pa) == ftp://a/ ]] || fail "decode gave '$("$cli" decode thunder://QUFmdHA6Ly9hL1pa)'"
[[ $("$cli" --version) == "zelvorn-cli $version" ]] || fail "--version says '$("$cli" --version)'"

# The manual page: gzip, rendered by man without a warning, and covering
# every command and option that --help names.
page=$scratch/root/usr/share/man/man1/zelvorn-cli.1.gz
gzip -t "$page" || fail "the manual page is not gzip"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l failed: $warnings"
[[ -z $warnings ]] || fail "man -l warns: $warnings"
text=$(LC_ALL=C.UTF-8 MANWIDTH=100 man --nh --nj -l "$page")
grep -q '^NAME' <<<"$text" || fail "no NAME section:"$'\n'"$text"
grep -q 'zelvorn-cli - convert download addresses' <<<"$text" || fail "NAME line missing:"$'\n'"$text"
grep -q "zelvorn-cli $version" <<<"$text" || fail "the page does not name version $version"
names=$("$cli" --help | grep -oE '^  +[a-z][a-z-]+  |--[a-z]+' | tr -d ' ' | sort -u)
[[ $names == *to-thunder* && $names == *--raw* ]] || fail "could not read the commands from --help: $names"
for name in $names; do
  grep -qe "$name" <<<"$text" || fail "the manual page does not mention $name from --help"
done

# `cmake --install` puts the same files in the same places.
DESTDIR=$scratch/installed cmake --install "$build" --prefix /usr >/dev/null
installed=$(cd "$scratch/installed" && find . -type f | sort)
[[ $installed == "$files" ]] || fail "cmake --install installs:"$'\n'"$installed"$'\n'"the package holds:"$'\n'"$files"
echo "zelvorn-cli_${version}_$arch.deb: $(wc -c <"$deb") bytes, Depends: $depends"
