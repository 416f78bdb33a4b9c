#!/usr/bin/env bash
# CPU time by phase of one conversion, from a profile: bench/phases.sh BASE NEW INPUT [RUNS]
#
# Samples each converter (perf record, user and kernel, every thread) on INPUT
# RUNS times (default 3), alternately, and sorts the samples by function into
# the phases of a run: matching the grammar, replaying the actions into
# records, sorting, writing, the rest of user time, and the kernel (reading,
# writing and zeroing fresh pages, which a profile without call graphs can't
# give to a phase). Prints a Markdown table of CPU seconds per run, medians.
# With MEASURE naming morvane-bench-measure, each run first warms memory as
# bench/run.sh's conversions do, so that the kernel's share is not decided by
# whether the run met memory the virtual machine had handed back (realistic
# 100 MiB, baseline / new, medians of 3: kernel 0.117 / 0.123 s warmed, 0.341 /
# 0.173 s not).
set -euo pipefail
base=$1 new=$2 input=$3 runs=${4:-3}
rate=4000
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# phase_seconds CONVERTER TAG: appends "phase seconds" lines for one run.
phase_seconds() {
  [ -z "${MEASURE:-}" ] || "$MEASURE" --warm-for "$input" "$out/warm.txt" true
  perf record -q -F "$rate" -o "$out/perf.data" -- "$1" "$input" "$out/out.new" 2>/dev/null
  perf report -i "$out/perf.data" --no-children --sort dso,symbol -F overhead,sample,dso,sym \
    --stdio 2>/dev/null | awk -v rate="$rate" -v tag="$2" '
    /^#/ || NF < 4 { next }
    {
      samples = $2; line = $0
      if (line ~ /\[k\]/) phase = "kernel"
      else if (line ~ /old_format_parser|cursor|engine|action_log::record|action_log::grow|keyword|match_part|element/) phase = "match"
      else if (line ~ /list_sort|sort_list|sort_long_list|merge|compare_|_prefix|partition/) phase = "sort"
      else if (line ~ /print_|writer|output|emit|file_sink|put_spilling|spill/) phase = "write"
      else if (line ~ /replay|run_action|yy_[0-9]|builder|document|sprite::|get_|new_|store|queue|arena|list_append|list<|insert/) phase = "replay"
      else phase = "other user"
      total[phase] += samples
    }
    END { for (p in total) printf "%s %s %.4f\n", tag, p, total[p] / rate }' >>"$out/phases.txt"
}

for ((i = 0; i < runs; i++)); do
  if [ $((i % 2)) -eq 0 ]; then
    phase_seconds "$base" base
    phase_seconds "$new" new
  else
    phase_seconds "$new" new
    phase_seconds "$base" base
  fi
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR == 0) ? 0 : (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "| Phase (CPU s, median of $runs) | baseline | new |"
echo "|---|---|---|"
for phase in match replay sort write "other user" kernel; do
  b=$(awk -v p="$phase" '$1 == "base" && substr($0, 6, length(p)) == p { print $NF }' "$out/phases.txt" | median)
  n=$(awk -v p="$phase" '$1 == "new" && substr($0, 5, length(p)) == p { print $NF }' "$out/phases.txt" | median)
  printf '| %s | %.3f | %.3f |\n' "$phase" "$b" "$n"
done
