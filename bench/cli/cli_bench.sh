#!/usr/bin/env bash
# kadenzo-tc's batch mode against two yardsticks converting the same lines:
#   awk             bench/cli/dropframe.awk, the drop-frame arithmetic in awk
#   smpte-timecode  the npm package, through bench/cli/smpte_timecode.mjs
# The input is one value a line, half drop-frame frame counts and half
# drop-frame time codes at 29.97 (bench/cli/make_input.mjs), converted twice:
#   timecode  every line to a time code of the day: kadenzo-tc --rate 29.97
#             --df --wrap; a count becomes a label, a label a count and that
#             count a label again
#   frames    every line to a frame count: kadenzo-tc --rate 29.97 --df --to
#             frames
# First the three outputs of each are compared, and nothing is timed unless
# they are the same, byte for byte. Then each program runs on one core
# (taskset), reading the input from a file and writing to /dev/null, the
# three in turns, round after round, the order turned each round; the
# figures are medians. Last, kadenzo-tc's peak memory on the input once, ten
# times over, and on a stream of twenty million lines. Not a test: nothing
# here passes or fails on a figure.
#
# Usage: bench/cli/cli_bench.sh [--lines N] [--runs N] [--cpu N] [--work DIR] KADENZO_TC
#   --lines N  lines of input (default 1000000)
#   --runs N   timed runs of each program in each conversion (default 11)
#   --cpu N    the core every timed run is pinned to (default 0)
#   --work DIR where the input and the outputs are kept (default build/cli-bench)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)

lines=1000000
runs=11
cpu=0
work=$repo/build/cli-bench
kadenzo_tc=""
while [ $# -gt 0 ]; do
  case "$1" in
    --lines) lines=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --cpu) cpu=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    -*) sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
    *) kadenzo_tc=$1; shift ;;
  esac
done
if [ -z "$kadenzo_tc" ] || [ ! -x "$kadenzo_tc" ]; then
  echo "cli_bench.sh: give the kadenzo-tc to measure, e.g. build/linux/cli/kadenzo-tc" >&2
  exit 2
fi
kadenzo_tc=$(cd "$(dirname "$kadenzo_tc")" && pwd)/$(basename "$kadenzo_tc")
for tool in awk node taskset /usr/bin/time sha256sum; do
  command -v "$tool" >/dev/null || { echo "cli_bench.sh: $tool is missing" >&2; exit 1; }
done
[ -f "$repo/node_modules/smpte-timecode/package.json" ] ||
  { echo "cli_bench.sh: smpte-timecode is not installed: npm ci" >&2; exit 1; }

mkdir -p "$work"
cd "$work"

# The command of each side for each conversion, into the array `command`.
command_of() {  # side conversion
  case "$1:$2" in
    kadenzo-tc:timecode) command=("$kadenzo_tc" --rate 29.97 --df --wrap) ;;
    kadenzo-tc:frames) command=("$kadenzo_tc" --rate 29.97 --df --to frames) ;;
    awk:timecode) command=(awk -f "$repo/bench/cli/dropframe.awk") ;;
    awk:frames) command=(awk -v to=frames -f "$repo/bench/cli/dropframe.awk") ;;
    smpte-timecode:timecode) command=(node "$repo/bench/cli/smpte_timecode.mjs") ;;
    smpte-timecode:frames) command=(node "$repo/bench/cli/smpte_timecode.mjs" --to frames) ;;
  esac
}
sides=(kadenzo-tc awk smpte-timecode)
conversions=(timecode frames)

echo "kadenzo-tc:     $("$kadenzo_tc" --version) ($kadenzo_tc)"
echo "awk:            $(readlink -f "$(command -v awk)") $( (awk -W version 2>/dev/null || awk --version) | head -n 1)"
echo "node:           $(node --version), smpte-timecode $(node -p "require('$repo/node_modules/smpte-timecode/package.json').version")"
echo "pinned to:      core $cpu of $(nproc)"
echo "load:           $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 minutes)"

input=input-$lines.txt
if [ ! -s "$input" ]; then
  node "$repo/bench/cli/make_input.mjs" "$lines" > "$input.part"
  mv "$input.part" "$input"
fi
echo "input:          $input, $(wc -l < "$input") lines, $(wc -c < "$input") bytes," \
  "$(grep -c ';' "$input") of them time codes; sha256 $(sha256sum < "$input" | cut -c1-16)"

echo "== The three outputs, compared before anything is timed"
agree=1
for conversion in "${conversions[@]}"; do
  for side in "${sides[@]}"; do
    command_of "$side" "$conversion"
    if ! "${command[@]}" < "$input" > "out-$conversion-$side.txt" 2> "err-$conversion-$side.txt"; then
      echo "$side failed on the $conversion conversion:" >&2
      head -n 5 "err-$conversion-$side.txt" >&2
      agree=0
    fi
    printf '%-9s %-15s %s  %s lines\n' "$conversion" "$side" "$(sha256sum < "out-$conversion-$side.txt" | cut -c1-16)" \
      "$(wc -l < "out-$conversion-$side.txt")"
  done
  for side in awk smpte-timecode; do
    if ! cmp -s "out-$conversion-kadenzo-tc.txt" "out-$conversion-$side.txt"; then
      agree=0
      echo "$conversion: kadenzo-tc and $side differ; the first lines that do (input, kadenzo-tc, $side):" >&2
      paste -d' ' "$input" "out-$conversion-kadenzo-tc.txt" "out-$conversion-$side.txt" |
        awk '$2 != $3' | head -n 10 >&2
    fi
  done
done
if [ "$agree" -eq 0 ]; then
  echo "cli_bench.sh: the outputs differ, so timing them would compare different work; nothing timed" >&2
  exit 1
fi
echo "all three the same in both conversions"

# One run: wall clock, processor time and peak memory, appended to the
# side's record as "wall user+sys rss".
TIMEFORMAT='%3R %3U %3S'
run_once() {  # side conversion record
  local times rss
  command_of "$1" "$2"
  if ! times=$( { time /usr/bin/time -f %M -o rss.txt taskset -c "$cpu" "${command[@]}" \
    < "$input" > /dev/null 2> run-err.txt; } 2>&1 ) || [ -s run-err.txt ]; then
    echo "cli_bench.sh: $1 failed on the $2 conversion:" >&2
    head -n 5 run-err.txt rss.txt >&2
    exit 1
  fi
  rss=$(tail -n 1 rss.txt)
  read -r wall user system <<< "$times"
  echo "$wall $(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.3f", u + s }') $rss" >> "$3"
}

echo "== Timing: $runs runs of each, one core, in turns (load $(cut -d' ' -f1 /proc/loadavg))"
for conversion in "${conversions[@]}"; do
  for side in "${sides[@]}"; do
    : > "times-$conversion-$side.txt"
    run_once "$side" "$conversion" /dev/null  # untimed: the input and the programs into the page cache
  done
done
for ((round = 0; round < runs; ++round)); do
  for conversion in "${conversions[@]}"; do
    for ((i = 0; i < ${#sides[@]}; ++i)); do
      side=${sides[(i + round) % ${#sides[@]}]}
      run_once "$side" "$conversion" "times-$conversion-$side.txt"
    done
  done
done
echo "load after:     $(cut -d' ' -f1-3 /proc/loadavg)"

# The median of column $2 of file $1.
median() { cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
range() { cut -d' ' -f"$2" "$1" | sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { print lo "-" hi }'; }

for conversion in "${conversions[@]}"; do
  echo "== $conversion: $lines lines, medians of $runs runs"
  printf '%-15s %9s %13s %12s %9s %12s %9s %9s\n' "" "wall s" "range" "lines/s" "cpu s" "peak KiB" \
    "× wall" "× cpu"
  base_wall=$(median "times-$conversion-kadenzo-tc.txt" 1)
  base_cpu=$(median "times-$conversion-kadenzo-tc.txt" 2)
  for side in "${sides[@]}"; do
    record=times-$conversion-$side.txt
    wall=$(median "$record" 1)
    cpu_time=$(median "$record" 2)
    awk -v side="$side" -v wall="$wall" -v range="$(range "$record" 1)" -v cpu="$cpu_time" \
      -v rss="$(median "$record" 3)" -v lines="$lines" -v bw="$base_wall" -v bc="$base_cpu" 'BEGIN {
        printf "%-15s %9.3f %13s %12.0f %9.3f %12d %8.1f× %8.1f×\n", side, wall, range, lines / wall, cpu, rss,
          wall / bw, (bc > 0 ? cpu / bc : 0)
      }'
  done
done

echo "== kadenzo-tc's peak memory as the input grows (KiB)"
memory() {  # label, then the command whose output is kadenzo-tc's input
  local label=$1
  shift
  "$@" | /usr/bin/time -f %M -o rss.txt "$kadenzo_tc" --rate 29.97 --df --wrap > /dev/null
  printf '%-44s %8s\n' "$label" "$(tail -n 1 rss.txt)"
}
repeat_input() { for ((i = 0; i < $1; ++i)); do cat "$input"; done; }
memory "the input once ($lines lines)" repeat_input 1
memory "the input ten times ($((10 * lines)) lines)" repeat_input 10
memory "yes 1800 | head -n 20000000" sh -c 'yes 1800 | head -n 20000000'
