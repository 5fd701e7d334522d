#!/usr/bin/env bash
# Builds a release package the way a user does, from the source tree's presets.
#
#   build_package.sh SOURCE deb   -> build/release/zelvorn-cli_<version>_<arch>.deb
#   build_package.sh SOURCE zip   -> build/windows-package/Zelvorn-<version>-win64.zip
#
# The zip comes from the windows preset in a build folder of its own without
# the Windows tests: CPack builds every target of its build folder first, and
# the package needs none of the tests.
set -euo pipefail
cd "$1"
case $2 in
  deb)
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target package
    ;;
  zip)
    cmake --preset windows -B build/windows-package -DBUILD_TESTING=OFF >/dev/null
    cmake --build build/windows-package -j2 --target package
    ;;
  *)
    echo "build_package.sh: unknown package kind '$2'" >&2
    exit 2
    ;;
esac
