# Shared by the benchmarks: source it from the project's root. Builds the
# optimised zelvorn-cli as $cli and makes a scratch folder $work.

cmake --preset release >/dev/null
cmake --build --preset release --target zelvorn-cli -j2 >/dev/null
cli=build/release/cli/zelvorn-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

best() {  # best of three wall-clock seconds of a command reading $1
  local input=$1; shift
  local t b=
  for _ in 1 2 3; do
    t=$( { /usr/bin/time -f %e "$@" < "$input" > /dev/null; } 2>&1 | tail -1)
    if [[ -z $b ]] || awk "BEGIN{exit !($t < $b)}"; then b=$t; fi
  done
  echo "$b"
}

peak() {  # peak resident KiB of a command reading $1
  local input=$1; shift
  { /usr/bin/time -f %M "$@" < "$input" > /dev/null; } 2>&1 | tail -1
}
