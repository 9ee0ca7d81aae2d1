#!/usr/bin/env bash
# The formel program on a batch of records: the wall time of -j 2 against
# -j 1 on the same CSV file (fastest and median of several runs), and a
# formula file read from a pipe or written into one against -f.
#
#   bash bench/formel_jobs.sh [path/to/formel]
#
# RECORDS (default 1000000) and RUNS (default 5) change the size and the
# number of runs. Not a test: on a shared machine the figures vary.
set -euo pipefail
formel=${1:-build/tools/formel}
records=${RECORDS:-1000000}
runs=${RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v n="$records" 'BEGIN {
  srand(7); print "id,item,price,qty,tax"
  for (i = 0; i < n; i++)
    printf "%d,item %d,%d.%02d,%d,0.%02d\n", i, i % 977, int(rand() * 1000), int(rand() * 100),
           1 + int(rand() * 20), int(rand() * 26)
}' > "$work/records.csv"
formulas=('[net] := [price]*[qty]' '[net]*(1+[tax])' 'if([net]>1000,"large","small")' 'upper([item])')
awk -v n=200000 'BEGIN { for (i = 0; i < n; i++) printf "%d*(%d+%d)/3&\"x\"\n", i, i % 7, i % 13 }' > "$work/lines.txt"

# Wall times of one run of a command, in seconds.
wall() {
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null
  end=$(date +%s.%N)
  echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }'
}

# "fastest median" of the times on standard input.
summary() { sort -n | awk '{ t[NR] = $1 } END { print t[1], t[int((NR + 1) / 2)] }'; }

jobs_run() { "$formel" --quiet -j "$1" --csv "$work/records.csv" "${formulas[@]}"; }
piped() { cat "$work/lines.txt" | "$formel"; }
into_pipe() { "$formel" -f "$work/lines.txt" | cat; }

jobs_run 1 > "$work/one.csv"
jobs_run 2 > "$work/two.csv"
cmp -s "$work/one.csv" "$work/two.csv" || { echo "-j 2 output differs from -j 1" >&2; exit 1; }

# Runs take turns, so that both see the same load from other work; the
# fastest run is the least disturbed one.
for ((r = 0; r < runs; r++)); do
  wall jobs_run 1 >> "$work/one.times"
  wall jobs_run 2 >> "$work/two.times"
  wall "$formel" -f "$work/lines.txt" >> "$work/file.times"
  wall piped >> "$work/pipe.times"
  wall into_pipe >> "$work/into_pipe.times"
done
read -r one one_median < <(summary < "$work/one.times")
read -r two two_median < <(summary < "$work/two.times")
read -r file _ < <(summary < "$work/file.times")
read -r pipe _ < <(summary < "$work/pipe.times")
read -r out_pipe _ < <(summary < "$work/into_pipe.times")
echo "$records records, ${#formulas[@]} formulas, $runs runs each on $(nproc) cores (fastest, median)"
echo "$one $one_median $two $two_median" |
  awk '{ printf "  -j 1: %.2f s, %.2f s   -j 2: %.2f s, %.2f s   speed-up %.2fx (medians %.2fx)\n", $1, $2, $3, $4, $1 / $3, $2 / $4 }'
echo "200000 formula lines (fastest)"
echo "$file $pipe $out_pipe" |
  awk '{ printf "  -f file: %.2f s   from a pipe: %.2f s (%.2fx)   into a pipe: %.2f s (%.2fx)\n", $1, $2, $2 / $1, $3, $3 / $1 }'
