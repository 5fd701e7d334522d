#!/usr/bin/env bash
# Installs what building, running, packaging and testing Zelvorn needs on
# Debian (run as root). Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev clang libclang-rt-dev  # native build, tests, fuzzing
  g++-mingw-w64-x86-64 mingw-w64-tools                          # the Windows cross-build
  wine wine64 fonts-wine xvfb xauth xdotool xclip x11-utils imagemagick  # running it for real
  fonts-wqy-microhei locales                                    # Chinese text, code page 936
  help2man dpkg-dev man-db                                      # the Debian package and its manual page
  python3 time coreutils                                        # test server, benchmarks
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: zh_CN gives 936, en_US 1252.
locales_added=0
for name in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qx "$name\.utf8"; then
    sed -i "s/^# *\($name\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$name\.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" >> /etc/locale.gen
    locales_added=1
  fi
done
if ((locales_added)); then
  locale-gen >/dev/null
fi
