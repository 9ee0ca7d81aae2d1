#!/usr/bin/env bash
# formel --csv against miller on the same records and the same two formulas:
# wall and CPU time (median of several runs) at -j 1 and -j 2, and the
# instructions per record under callgrind.
#
#   bash bench/records.sh [path/to/formel]
#
# RECORDS (default 1000000), RUNS (default 5) and CALLGRIND_RECORDS
# (default 20000; 0 leaves callgrind out) change the sizes. Needs miller
# (`apt-get install miller`) and, for the instruction counts, valgrind. Not
# a test: on a shared machine the times vary, the instruction counts do not.
set -euo pipefail
formel=${1:-build/tools/formel}
records=${RECORDS:-1000000}
runs=${RUNS:-5}
callgrind_records=${CALLGRIND_RECORDS:-20000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# id,price,qty,discount: about 19 bytes a record.
generate() {
  awk -v n="$1" 'BEGIN {
    srand(11); print "id,price,qty,discount"
    for (i = 0; i < n; i++)
      printf "%d,%d.%02d,%d,%d\n", i, int(rand() * 1000), int(rand() * 100), 1 + int(rand() * 20), int(rand() * 30)
  }'
}
generate "$records" > "$work/records.csv"
formulas=('[net] := [price]*[qty]' '[net]*(1-[discount]/100)')
miller_put='$net = $price*$qty; $total = $net*(1-$discount/100)'

ours() { "$formel" --quiet -j "$1" --csv "$2" "${formulas[@]}"; }
miller() { mlr --icsv --ocsv put "$miller_put" "$1"; }

# "wall cpu" of one run in seconds, the CPU time of all threads.
measure() {
  local out
  out=$( { TIMEFORMAT='%R %U %S'; time "$@" > /dev/null; } 2>&1 )
  echo "$out" | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

# "wall cpu" medians of the lines on standard input.
medians() {
  local times
  times=$(cat)
  median() { cut -d' ' -f"$1" <<< "$times" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
  echo "$(median 1) $(median 2)"
}

ours 1 "$work/records.csv" > "$work/one.csv"
ours 2 "$work/records.csv" > "$work/two.csv"
cmp -s "$work/one.csv" "$work/two.csv" || { echo "-j 2 output differs from -j 1" >&2; exit 1; }

# Runs take turns, so that all see the same load from other work.
for ((r = 0; r < runs; r++)); do
  measure ours 1 "$work/records.csv" >> "$work/one.times"
  measure ours 2 "$work/records.csv" >> "$work/two.times"
  measure miller "$work/records.csv" >> "$work/miller.times"
done
read -r one_wall one_cpu < <(medians < "$work/one.times")
read -r two_wall two_cpu < <(medians < "$work/two.times")
read -r mlr_wall mlr_cpu < <(medians < "$work/miller.times")
echo "$records records, 2 formulas, medians of $runs runs on $(nproc) cores (wall, CPU)"
echo "$one_wall $one_cpu $two_wall $two_cpu $mlr_wall $mlr_cpu" | awk '{
  printf "  formel -j 1: %.2f s, %.2f s CPU\n", $1, $2
  printf "  formel -j 2: %.2f s, %.2f s CPU\n", $3, $4
  printf "  miller:      %.2f s, %.2f s CPU\n", $5, $6
  printf "  CPU, miller / formel -j 1: %.2fx (target >= 4x)\n", $6 / $2
  printf "  wall, miller / formel -j 2: %.2fx (target >= 3x)\n", $5 / $3
}'

if ((callgrind_records > 0)) && command -v valgrind > /dev/null; then
  # Instructions of the whole run with the formulas, and with the formula
  # 0 instead (about the program reading and writing the records alone).
  generate "$callgrind_records" > "$work/small.csv"
  instructions() {
    valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$@" > /dev/null 2> "$work/callgrind.log"
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/callgrind.log"
  }
  with=$(instructions "$formel" --quiet -j 1 --csv "$work/small.csv" "${formulas[@]}")
  without=$(instructions "$formel" --quiet -j 1 --csv "$work/small.csv" 0)
  echo "$callgrind_records records under callgrind: instructions per record"
  echo "$with $without $callgrind_records" | awk '{
    printf "  with the formulas %.0f, with the formula 0 instead %.0f\n", $1 / $3, $2 / $3
  }'
fi
