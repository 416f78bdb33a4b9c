#!/usr/bin/env bash
# Instructions and peak memory of one converter build on the inputs that decide
# whether a speed or memory measure pays for itself:
#
#   bench/ledger.sh CONVERTER [SHAPE...]
#
# For the realistic shape and each SHAPE given (default: every record shape):
# instructions by callgrind on realistic 10 MiB and on 100k records of the shape,
# and peak memory (maximum resident set, /usr/bin/time) on realistic 100 MiB and
# on 1M records of the shape, the median of 3 runs. Unlike times, neither
# figure depends on what else the machine is doing. Inputs are generated into
# bench/data/ by the bench preset's generator (built if missing) and kept. One
# tab-separated line per input and figure: input, "instructions" or "peak_kib",
# value. Every output is checked with the bench verifier.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: bench/ledger.sh CONVERTER [SHAPE...]" >&2; exit 2; }
convert=$(realpath "$1")
shift
shapes=("$@")
[ ${#shapes[@]} -gt 0 ] || shapes=(sorted-frames reverse-frames same-name-frames sprites-in-one-frame
  sounds-in-one-anim-frame variables-in-one-character)

. .ci/install.sh
want time -- test -x /usr/bin/time
want valgrind -- command -v valgrind
install_wanted

tools=build/bench/bench
[ -x "$tools/morvane-bench-generate" ] && [ -x "$tools/morvane-bench-verify" ] || {
  [ -f build/bench/CMakeCache.txt ] || cmake --preset bench >/dev/null
  cmake --build build/bench -j2 --target morvane-bench-generate morvane-bench-verify >/dev/null
}
data=bench/data
mkdir -p "$data"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

gen() { # NAME SHAPE AMOUNT
  [ -f "$data/$1.old" ] && [ -f "$data/$1.expect" ] && return
  "$tools/morvane-bench-generate" "$2" "$3" "$data/$1.old.tmp" --expect "$data/$1.expect"
  mv "$data/$1.old.tmp" "$data/$1.old"
}
checked() { # NAME
  "$tools/morvane-bench-verify" "$out/$1.new" "$data/$1.expect" >/dev/null ||
    { echo "$convert: wrong output for $1" >&2; exit 1; }
}
instructions() { # NAME
  local n
  n=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$convert" "$data/$1.old" \
    "$out/$1.new" 2>&1 >/dev/null | awk '/Collected/ { print $NF }')
  checked "$1"
  printf '%s\tinstructions\t%s\n' "$1" "$n"
}
peak() { # NAME
  local runs=()
  for _ in 1 2 3; do
    runs+=("$(/usr/bin/time -f %M "$convert" "$data/$1.old" "$out/$1.new" 2>&1 >/dev/null | tail -n 1)")
  done
  checked "$1"
  printf '%s\tpeak_kib\t%s\n' "$1" "$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p)"
}

gen realistic-10M realistic 10M
gen realistic-100M realistic 100M
instructions realistic-10M
peak realistic-100M
for shape in "${shapes[@]}"; do
  gen "$shape-100k" "$shape" 100k
  gen "$shape-1M" "$shape" 1M
  instructions "$shape-100k"
  peak "$shape-1M"
done
