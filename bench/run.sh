#!/usr/bin/env bash
# End-to-end benchmark of morvane-convert, written to bench/RESULTS.md.
#
#   bench/run.sh [--runs N] [--huge]
#
# Builds the benchmark tree if needed (BUILD_DIR, default build/bench with the
# bench preset) and the baseline: the converter as of commit $baseline, checked
# out in its own worktree under build/baseline/ and built there. Generates the
# inputs into bench/data/ (kept between runs) and converts each one N times
# (default 9) with both builds, each first in every other round, interleaved
# with `cp` and `wc -l` of the same file, taking medians of wall-clock and of
# CPU (user + system) time, to the microsecond, and the peak memory, all from
# morvane-bench-measure. Before each conversion it touches and frees memory in
# huge pages, so that neither build's first touches land on memory that the
# virtual machine has handed back to its host (see bench/measure.cpp). Every conversion's output is
# checked against what the generator says it must hold.
# A realistic input of 1 GiB is converted 3 times per build, and the realistic
# 100 MiB one also by this build on one thread (MORVANE_THREADS=1); the CPU
# time of each phase of the 100 MiB conversion comes from bench/phases.sh.
# --huge adds a realistic input of 3 GiB and an input of 4200 MiB whose one
# image path is longer than 4 GiB, each converted and checked once per build.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=9
huge=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --huge) huge=1; shift ;;
    *) echo "usage: bench/run.sh [--runs N] [--huge]" >&2; exit 2 ;;
  esac
done

# The converter on one thread, each trick weighed and each rule stated once
# (the action log's reservation restored): the parse in parts must pay on
# every core without costing memory.
baseline=e69efa5
build_dir="${BUILD_DIR:-build/bench}"
baseline_src=build/baseline/src
baseline_build=build/baseline/build
data=bench/data
results=bench/RESULTS.md
records=1000000

. .ci/install.sh
want linux-perf -- perf --version
install_wanted

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  if [ "$build_dir" = build/bench ]; then
    cmake --preset bench
  else
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_WERROR=ON \
      -DMORVANE_BENCH=ON -DMORVANE_TESTS=OFF
  fi
fi
grep -q '^MORVANE_BENCH:BOOL=ON' "$build_dir/CMakeCache.txt" || cmake -S . -B "$build_dir" -DMORVANE_BENCH=ON
cmake --build "$build_dir" -j2 --target morvane-convert morvane-bench-generate morvane-bench-verify \
  morvane-bench-measure morvane-bench-processor-speed
if [ ! -d "$baseline_src" ]; then
  git worktree add --detach "$baseline_src" "$baseline"
fi
[ "$(git -C "$baseline_src" rev-parse HEAD)" = "$(git rev-parse "$baseline^{commit}")" ] ||
  git -C "$baseline_src" checkout -q --detach "$baseline"
if [ ! -f "$baseline_build/CMakeCache.txt" ]; then
  cmake -S "$baseline_src" -B "$baseline_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DMORVANE_WERROR=ON -DMORVANE_TESTS=OFF
fi
cmake --build "$baseline_build" -j2 --target morvane-convert
base_convert="$baseline_build/morvane-convert"
convert="$build_dir/morvane-convert"
generate="$build_dir/bench/morvane-bench-generate"
verify="$build_dir/bench/morvane-bench-verify"
measure="$build_dir/bench/morvane-bench-measure"
processor_speed="$build_dir/bench/morvane-bench-processor-speed"
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

# cpu_of FILE: user + system seconds from what morvane-bench-measure wrote.
cpu_of() { awk '{ printf "%.4f", $2 + $3 }' "$1"; }

# convert_once PROGRAM NAME: converts bench/data/NAME.old to NAME.new, memory
# warmed first; appends its wall-clock nanoseconds, CPU seconds and
# peak KiB to the arrays named by the prefix in $into (walls_X, cpus_X, rss_X),
# and sets said_X to what it reported when that was not "Success!".
convert_once() {
  local program="$1" name="$2" status
  "$measure" --warm-for "$data/$name.old" "$data/time.txt" "$program" "$data/$name.old" "$data/$name.new" \
    2>"$data/stderr.txt" || true
  local wall
  wall=$(awk '{ print $1 }' "$data/time.txt")
  status=$(head -n 1 "$data/stderr.txt")
  if [ "$status" != "Success!" ]; then
    echo "$name: $program said: $status" >&2
    eval "said_$into=\"said: \$status\""
  fi
  eval "walls_$into+=($wall)"
  eval "cpus_$into+=($(cpu_of "$data/time.txt"))"
  eval "rss_$into+=($(awk '{ print $4 }' "$data/time.txt"))"
}

# check_output NAME: the verifier's verdict on bench/data/NAME.new.
check_output() {
  local verdict
  if verdict=$("$verify" "$data/$1.new" "$data/$1.expect" 2>&1); then echo ok; else echo "FAILED: $verdict"; fi
}

maximum() { sort -n | tail -n 1; }

# verdict_of BUILD: the verdict on the output that BUILD (new or base) just wrote.
verdict_of() {
  local said
  eval "said=\$said_$1"
  if [ -n "$said" ]; then echo "FAILED: $said"; else check_output "$name"; fi
}

# slower_processor: the milliseconds the arithmetic of morvane-bench-processor-speed
# took on the slower processor, once the processors ran at near equal speed
# (the slower taking at most 1.25x the faster's time), or after a minute of
# waiting for that: the host here at times gives one of them a third of its time
# for minutes, which no interleaving evens out.
slower_processor() {
  local times tries
  for ((tries = 0; tries < 20; tries++)); do
    times=$("$processor_speed" | tr -d ',' | awk '{ for (i = 2; i <= NF; i += 2) { if ($i > max) max = $i; if (min == "" || $i < min) min = $i } } END { print max, (max <= 1.25 * min) }')
    [ "${times#* }" = 1 ] && break
    sleep 3
  done
  echo "${times% *}"
}

# measure NAME RUNS: sets, for the new build (new_) and the baseline (base_),
# wall (median seconds), cpu (median user + system seconds), rss_kib (max) and
# check (the verifier's verdict), cp_s, wc_s, cp_cpu for the copy, and slow_ms,
# the median over the rounds of the slower processor's time (a host that
# takes time away from one processor slows a run on two threads most).
measure() {
  local name="$1" n="$2" in="$data/$1.old" t0 cps=() wcs=() cp_cpus=() slows=()
  walls_new=() cpus_new=() rss_new=() walls_base=() cpus_base=() rss_base=() said_new="" said_base=""
  for ((i = 0; i < n; i++)); do
    slows+=($(slower_processor))
    "$measure" "$data/cp-time.txt" cp "$in" "$data/scratch.cp"
    cps+=($(awk '{ print $1 }' "$data/cp-time.txt"))
    cp_cpus+=($(cpu_of "$data/cp-time.txt"))
    rm -f "$data/scratch.cp"
    t0=$(now); wc -l "$in" >/dev/null; wcs+=($(($(now) - t0)))
    # Each build goes first in every other round, so that neither gains from
    # what the other left behind (the page cache, an output file to truncate).
    if [ $((i % 2)) -eq 0 ]; then
      into=base convert_once "$base_convert" "$name"
      [ "$i" -ne 0 ] || base_check=$(verdict_of base)
      into=new convert_once "$convert" "$name"
      [ "$i" -ne 0 ] || new_check=$(verdict_of new)
    else
      into=new convert_once "$convert" "$name"
      into=base convert_once "$base_convert" "$name"
    fi
  done
  for build in new base; do
    eval "${build}_wall=\$(seconds \"\$(printf '%s\n' \"\${walls_$build[@]}\" | median)\")"
    eval "${build}_cpu=\$(printf '%s\n' \"\${cpus_$build[@]}\" | median)"
    eval "${build}_rss_kib=\$(printf '%s\n' \"\${rss_$build[@]}\" | maximum)"
  done
  cp_s=$(seconds "$(printf '%s\n' "${cps[@]}" | median)")
  wc_s=$(seconds "$(printf '%s\n' "${wcs[@]}" | median)")
  cp_cpu=$(printf '%s\n' "${cp_cpus[@]}" | median)
  slow_ms=$(printf '%s\n' "${slows[@]}" | median)
  rm -f "$data/cp-time.txt"
}

rows=()
verdicts=()
failed=0
# row NAME: measures NAME and adds its table row; sets size, and new_/base_
# wall, cpu, rss (bytes) and check.
row() {
  local name="$1"
  size=$(stat -L -c %s "$data/$name.old")
  measure "$name" "$runs"
  new_rss=$((new_rss_kib * 1024)) base_rss=$((base_rss_kib * 1024))
  local check="$new_check"
  [ "$base_check" = ok ] || check="$check (baseline: $base_check)"
  rows+=("| $name | $(mib "$size") | $base_wall | $new_wall | $(ratio "$new_wall" "$base_wall") | $base_cpu | $new_cpu | $(ratio "$new_cpu" "$base_cpu") | $cp_s | $cp_cpu | $wc_s | $(mib "$base_rss") | $(mib "$new_rss") | $(ratio "$new_rss" "$base_rss") | $(ratio "$new_rss" "$size") | $slow_ms | $check |")
  [ "$new_check" = ok ] || failed=1
  echo "$name: ${new_wall}s / ${new_cpu}s CPU, $(mib "$new_rss") MiB peak (baseline ${base_wall}s / ${base_cpu}s CPU, $(mib "$base_rss") MiB), $check"
}
verdict() { # verdict TEXT PASSED
  if [ "$2" = 1 ]; then verdicts+=("- pass: $1"); else verdicts+=("- MISSED: $1"); failed=1; fi
}
le() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }' && echo 1 || echo 0; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
speed_before=$("$processor_speed")

gen realistic-10M realistic 10M
gen realistic-100M realistic 100M
row realistic-10M
# at_most WHAT NEW BASE FACTOR UNIT: the verdict that NEW <= FACTOR x BASE.
at_most() {
  verdict "$1: $2$5 <= $4 x the baseline's ($3$5)" "$(le "$2" "$(awk -v c="$3" -v f="$4" 'BEGIN { print f * c }')")"
}
row realistic-100M
size100=$size
# Time per byte of realistic input, the measure of the record shapes below.
cpu_per_byte=$(awk -v c="$new_cpu" -v s="$size100" 'BEGIN { print c / s }')
wall_per_byte=$(awk -v c="$new_wall" -v s="$size100" 'BEGIN { print c / s }')
wall_per_byte_100=$wall_per_byte
at_most "realistic 100 MiB: wall" "$new_wall" "$base_wall" 0.6 " s"
at_most "realistic 100 MiB: CPU" "$new_cpu" "$base_cpu" 1.15 " s"
at_most "realistic 100 MiB: peak" "$new_rss" "$base_rss" 1.02 " bytes"
# The same on one thread, under its own name, the same input.
one_thread="$data/one-thread"
printf '#!/bin/sh\nMORVANE_THREADS=1 exec "%s" "$@"\n' "$(realpath "$convert")" >"$one_thread"
chmod +x "$one_thread"
ln -sf realistic-100M.old "$data/realistic-100M-one-thread.old"
ln -sf realistic-100M.expect "$data/realistic-100M-one-thread.expect"
several=$convert convert=$one_thread
row realistic-100M-one-thread
convert=$several
at_most "realistic 100 MiB on one thread (MORVANE_THREADS=1): CPU" "$new_cpu" "$base_cpu" 1.03 " s"
phases=$(MEASURE=$measure bench/phases.sh "$base_convert" "$convert" "$data/realistic-100M.old" 3)
gen realistic-1G realistic 1G
row_runs=$runs runs=3
row realistic-1G
runs=$row_runs
at_most "realistic 1 GiB: wall" "$new_wall" "$base_wall" 0.6 " s"
at_most "realistic 1 GiB: peak" "$new_rss" "$base_rss" 1.02 " bytes"
per_byte=$(awk -v w="$new_wall" -v s="$size" -v w100="$wall_per_byte_100" 'BEGIN { printf "%.2f", (w / s) / w100 }')
verdicts+=("- recorded: realistic 1 GiB takes $per_byte x the wall time per byte of the 100 MiB input (aim: at most 1.5)")
rm -f "$data/realistic-1G.new"

for shape in sorted-frames reverse-frames same-name-frames sprites-in-one-frame \
  sounds-in-one-anim-frame variables-in-one-character; do
  gen "$shape-1M" "$shape" "$records"
  bytes=$(stat -c %s "$data/$shape-1M.old")
  gen "realistic-as-$shape" realistic "$bytes"
  row "$shape-1M"
  shape_cpu=$new_cpu shape_wall=$new_wall shape_rss=$new_rss shape_base_rss=$base_rss
  shape_base_wall=$base_wall
  row "realistic-as-$shape"
  verdict "$shape, 1,000,000 records: CPU ${shape_cpu} s <= 3 x realistic's per byte ($(awk -v p="$cpu_per_byte" -v b="$bytes" 'BEGIN { printf "%.3f", 3 * p * b }') s)" \
    "$(le "$shape_cpu" "$(awk -v p="$cpu_per_byte" -v b="$bytes" 'BEGIN { print 3 * p * b }')")"
  verdict "$shape, 1,000,000 records: wall ${shape_wall} s <= 3 x realistic's per byte ($(awk -v p="$wall_per_byte" -v b="$bytes" 'BEGIN { printf "%.3f", 3 * p * b }') s)" \
    "$(le "$shape_wall" "$(awk -v p="$wall_per_byte" -v b="$bytes" 'BEGIN { print 3 * p * b }')")"
  at_most "$shape, 1,000,000 records: wall" "$shape_wall" "$shape_base_wall" 1.05 " s"
  at_most "$shape, 1,000,000 records: peak" "$shape_rss" "$shape_base_rss" 1.02 " bytes"
done

if [ "$huge" = 1 ]; then
  gen realistic-3G realistic 3G
  gen long-value-4200M long-value 4200M
  row_runs=$runs runs=1
  row realistic-3G
  verdicts+=("- recorded: realistic 3 GiB: wall $new_wall s against $base_wall s, peak $(mib "$new_rss") MiB against $(mib "$base_rss") MiB, output checked: $new_check")
  [ "$new_check" = ok ] || failed=1
  rm -f "$data/realistic-3G.new"
  row long-value-4200M
  verdict "$(mib "$size") MiB input with one value over 4 GiB converts (Success!, output checked: $new_check)" \
    "$([ "$new_check" = ok ] && echo 1 || echo 0)"
  rm -f "$data/long-value-4200M.new"
  runs=$row_runs
fi

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
speed_after=$("$processor_speed")
cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)
memory=$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
compiler=$(c++ --version | head -n 1)
thp=$(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)

# The ledger of measures is kept as it is: bench/ledger.sh's figures, not this
# run's; so is the table of wall time by step, from timers put in by hand.
# Each is one section: from its heading to the next one.
section() { awk -v h="$1" '/^## / { on = index($0, h) == 1 } on' "$results" 2>/dev/null || true; }
ledger=$(section "## Ledger of measures")
steps=$(section "## Wall time by step")
{
  echo "# Benchmark results"
  echo
  echo "Written by \`bench/run.sh\` (runs per input: $runs). Each input is converted by"
  echo "the baseline (commit $baseline, built in its own worktree) and by this build"
  echo "($(git rev-parse --short HEAD)$(git diff --quiet HEAD -- . ':!bench/RESULTS.md' || echo ', with uncommitted changes')), each first in every other round, interleaved with \`cp\` and \`wc -l\` of the"
  echo "same file. Times are medians of wall-clock seconds; CPU columns are medians of"
  echo "user + system seconds; peak memory is the largest maximum resident set size of"
  echo "the runs, the input buffer included; all three from \`morvane-bench-measure\`,"
  echo "which before each conversion touches and frees memory (see bench/measure.cpp),"
  echo "so that neither build's first touches of memory land on memory the virtual"
  echo "machine has handed back to its host. The slower processor column is the median,"
  echo "over the rounds, of the milliseconds the arithmetic of"
  echo "\`morvane-bench-processor-speed\` took on the slower of the processors just"
  echo "before the round (85-90 ms here when the host gives both their full time)."
  echo "Each round waits, for up to a minute, until the slower processor takes at most"
  echo "1.25x the faster one's time."
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
  echo "| the same arithmetic on each processor, before / after | $speed_before / $speed_after |"
  echo
  echo "| Input | MiB | base s | new s | new / base | base CPU s | new CPU s | new / base CPU | cp s | cp CPU s | wc -l s | base peak MiB | new peak MiB | new / base peak | new peak / input | slower processor ms | output |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|"
  printf '%s\n' "${rows[@]}"
  echo
  echo "Targets:"
  echo
  printf '%s\n' "${verdicts[@]}"
  echo
  echo "CPU time by phase, realistic 100 MiB (bench/phases.sh; the kernel's share is"
  echo "reading, writing and zeroing fresh pages):"
  echo
  printf '%s\n' "$phases"
  if [ -n "$steps" ]; then
    echo
    printf '%s\n' "$steps"
  fi
  if [ -n "$ledger" ]; then
    echo
    printf '%s\n' "$ledger"
  fi
} >"$results"

cat "$results"
exit "$failed"
