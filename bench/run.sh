#!/usr/bin/env bash
# End-to-end benchmark of morvane-convert, written to bench/RESULTS.md.
#
#   bench/run.sh [--runs N] [--huge]
#
# Builds the benchmark tree if needed (BUILD_DIR, default build/bench with the
# bench preset), generates the inputs into bench/data/ (kept between runs),
# and converts each one N times (default 5), interleaved with `cp` and `wc -l`
# of the same file, taking medians. Peak memory comes from /usr/bin/time. Every
# conversion's output is checked against what the generator says it must hold.
# --huge adds a realistic input of 3 GiB and an input whose one image path is
# 2300 MiB long (a single value beyond 2 GiB), each converted and checked once.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5
huge=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --huge) huge=1; shift ;;
    *) echo "usage: bench/run.sh [--runs N] [--huge]" >&2; exit 2 ;;
  esac
done

build_dir="${BUILD_DIR:-build/bench}"
data=bench/data
results=bench/RESULTS.md
records=1000000

if [ ! -x /usr/bin/time ]; then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q time
fi

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  if [ "$build_dir" = build/bench ]; then
    cmake --preset bench
  else
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_WERROR=ON \
      -DMORVANE_BENCH=ON -DMORVANE_TESTS=OFF
  fi
fi
grep -q '^MORVANE_BENCH:BOOL=ON' "$build_dir/CMakeCache.txt" || cmake -S . -B "$build_dir" -DMORVANE_BENCH=ON
cmake --build "$build_dir" -j2 --target morvane-convert morvane-bench-generate morvane-bench-verify
convert="$build_dir/morvane-convert"
generate="$build_dir/bench/morvane-bench-generate"
verify="$build_dir/bench/morvane-bench-verify"
mkdir -p "$data"

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }

# gen NAME SHAPE AMOUNT: bench/data/NAME.old and NAME.expect, unless already there.
gen() {
  if [ ! -f "$data/$1.old" ] || [ ! -f "$data/$1.expect" ]; then
    "$generate" "$2" "$3" "$data/$1.old.tmp" --expect "$data/$1.expect"
    mv "$data/$1.old.tmp" "$data/$1.old"
  fi
}

# cpu_of FILE: user + system seconds from a "%U %S" line of /usr/bin/time.
cpu_of() { tail -n 1 "$1" | awk '{ printf "%.3f", $1 + $2 }'; }

# measure NAME RUNS: sets convert_s, cp_s, wc_s (medians of wall-clock seconds),
# convert_cpu, cp_cpu (medians of user + system seconds), rss_kib (max) and
# check (the verifier's verdict).
measure() {
  local name="$1" n="$2" in="$data/$1.old" out="$data/$1.new"
  local t0 conv=() cps=() wcs=() conv_cpus=() cp_cpus=() rss=0 status
  for ((i = 0; i < n; i++)); do
    t0=$(now)
    /usr/bin/time -f "%U %S" -o "$data/cp-time.txt" cp "$in" "$data/scratch.cp"
    cps+=($(($(now) - t0)))
    cp_cpus+=($(cpu_of "$data/cp-time.txt"))
    t0=$(now); wc -l "$in" >/dev/null; wcs+=($(($(now) - t0)))
    t0=$(now)
    /usr/bin/time -f "%U %S %M" -o "$data/time.txt" "$convert" "$in" "$out" 2>"$data/stderr.txt" || true
    conv+=($(($(now) - t0)))
    conv_cpus+=($(cpu_of "$data/time.txt"))
    status=$(head -n 1 "$data/stderr.txt")
    if [ "$status" != "Success!" ]; then
      echo "$name: morvane-convert said: $status" >&2
      exit 1
    fi
    local m; m=$(tail -n 1 "$data/time.txt" | awk '{ print $3 }')
    [ "$m" -gt "$rss" ] && rss=$m
  done
  convert_s=$(seconds "$(printf '%s\n' "${conv[@]}" | median)")
  cp_s=$(seconds "$(printf '%s\n' "${cps[@]}" | median)")
  wc_s=$(seconds "$(printf '%s\n' "${wcs[@]}" | median)")
  convert_cpu=$(printf '%s\n' "${conv_cpus[@]}" | median)
  cp_cpu=$(printf '%s\n' "${cp_cpus[@]}" | median)
  rss_kib=$rss
  if check=$("$verify" "$out" "$data/$name.expect" 2>&1); then check="ok"; else check="FAILED: $check"; fi
  rm -f "$data/scratch.cp" "$data/cp-time.txt"
}

rows=()
verdicts=()
failed=0
# row NAME: measures NAME and adds its table row; sets size and convert_s.
row() {
  local name="$1"
  size=$(stat -c %s "$data/$name.old")
  measure "$name" "$runs"
  local rss_bytes=$((rss_kib * 1024))
  rows+=("| $name | $(mib "$size") | $convert_s | $cp_s | $wc_s | $(ratio "$convert_s" "$cp_s") | $convert_cpu | $cp_cpu | $(mib "$rss_bytes") | $(ratio "$rss_bytes" "$size") | $check |")
  [ "$check" = ok ] || failed=1
  echo "$name: ${convert_s}s (cp ${cp_s}s), $(mib "$rss_bytes") MiB peak, $check"
}
verdict() { # verdict TEXT PASSED
  if [ "$2" = 1 ]; then verdicts+=("- pass: $1"); else verdicts+=("- MISSED: $1"); failed=1; fi
}
le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }' && echo 1 || echo 0; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

gen realistic-10M realistic 10M
gen realistic-100M realistic 100M
row realistic-10M
size10=$size time10=$convert_s
row realistic-100M
size100=$size time100=$convert_s cp100=$cp_s rss100=$((rss_kib * 1024))
verdict "realistic 100 MiB: ${time100} s <= 10 x cp (${cp100} s)" "$(le "$time100" "$(awk -v c="$cp100" 'BEGIN { print 10 * c }')")"
verdict "realistic 100 MiB: peak $(mib "$rss100") MiB <= 4 x input + 32 MiB ($(mib $((4 * size100 + 33554432))) MiB)" \
  "$(le "$rss100" $((4 * size100 + 33554432)))"
scale=$(ratio "$time100" "$time10")
size_ratio=$(ratio "$size100" "$size10")
verdict "scaling: $(mib "$size100") MiB takes ${scale} x the time of $(mib "$size10") MiB (${size_ratio} x the input; at most 1.2 x that)" \
  "$(le "$scale" "$(awk -v r="$size_ratio" 'BEGIN { print 1.2 * r }')")"

for shape in sorted-frames reverse-frames same-name-frames sprites-in-one-frame \
  sounds-in-one-anim-frame variables-in-one-character; do
  gen "$shape-1M" "$shape" "$records"
  bytes=$(stat -c %s "$data/$shape-1M.old")
  gen "realistic-as-$shape" realistic "$bytes"
  row "$shape-1M"
  adversarial=$convert_s
  row "realistic-as-$shape"
  verdict "$shape, 1,000,000 records: ${adversarial} s <= 3 x realistic of the same size (${convert_s} s)" \
    "$(le "$adversarial" "$(awk -v c="$convert_s" 'BEGIN { print 3 * c }')")"
done

if [ "$huge" = 1 ]; then
  gen realistic-3G realistic 3G
  gen long-value-2300M long-value 2300M
  row_runs=$runs runs=1
  row realistic-3G
  verdict "realistic 3 GiB converts (Success!, output checked: $check)" "$([ "$check" = ok ] && echo 1 || echo 0)"
  rm -f "$data/realistic-3G.new"
  row long-value-2300M
  verdict "one 2300 MiB value converts (Success!, output checked: $check)" "$([ "$check" = ok ] && echo 1 || echo 0)"
  rm -f "$data/long-value-2300M.new"
  runs=$row_runs
fi

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)
memory=$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
compiler=$(c++ --version | head -n 1)
thp=$(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)

{
  echo "# Benchmark results"
  echo
  echo "Written by \`bench/run.sh\` (runs per input: $runs; times are medians of wall-clock"
  echo "seconds, each conversion interleaved with \`cp\` and \`wc -l\` of the same file; peak"
  echo "memory is the largest maximum resident set size of the runs, mapped input"
  echo "included; CPU columns are medians of user + system seconds)."
  echo
  echo "| Machine | |"
  echo "|---|---|"
  echo "| date | $(date -u '+%Y-%m-%d %H:%M UTC') |"
  echo "| nproc | $(nproc) |"
  echo "| CPU | $cpu |"
  echo "| memory | $memory |"
  echo "| kernel | $(uname -r) |"
  echo "| transparent huge pages | $thp |"
  echo "| compiler | $compiler |"
  echo "| load average before / after | $load_before / $load_after |"
  echo
  echo "| Input | MiB | convert s | cp s | wc -l s | convert / cp | convert CPU s | cp CPU s | peak MiB | peak / input | output |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|"
  printf '%s\n' "${rows[@]}"
  echo
  echo "Targets:"
  echo
  printf '%s\n' "${verdicts[@]}"
} >"$results"

cat "$results"
exit "$failed"
