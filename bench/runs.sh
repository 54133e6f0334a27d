#!/bin/bash
# Times whole zentrava runs, sequential and parallel on 2 threads, and prints
# seconds and generations per second. Usage: bash bench/runs.sh PATH_TO_ZENTRAVA
# GENERATIONS in the environment overrides the 100 generations of every run.
set -eu

ZENTRAVA=$(realpath "${1:?usage: bash bench/runs.sh PATH_TO_ZENTRAVA}")
cd "$(dirname "$0")/.."
GENERATIONS=${GENERATIONS:-100}
CITIES=examples/random200.tsp

# name | objective | typed parameters (the number of generations is $G)
RUNS="p2 1000 x 1000 genes|p2|1000 1000 \$G 0.9 0.001
tsp 1000 x 200 cities|tsp|$CITIES 1000 \$G 0.9 0.01
pmx 1000 x 200 cities|pmx|$CITIES 1000 \$G 0.9 0.01"

TIMES=$(mktemp)
trap 'rm -f "$TIMES"' EXIT

# Wall-clock seconds decide the rate; CPU seconds (user + system, all threads)
# show how much of the wall clock other processes on the machine took.
printf '%-22s %-10s %8s %9s %9s %9s\n' run mode threads seconds "cpu s" "gen/s"
while IFS='|' read -r name objective typed; do
  input=${typed//\$G/$GENERATIONS}
  sequential=
  for mode in s p; do
    threads=$([ $mode = s ] && echo 1 || echo 2)
    OMP_NUM_THREADS=$threads /usr/bin/time -f '%e %U %S' -o "$TIMES" \
      "$ZENTRAVA" "$objective" "$mode" <<<"$input" >/dev/null ||
      { echo "$name ($mode): zentrava failed" >&2; exit 1; }
    read -r seconds user system <"$TIMES"
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
    rate=$(awk -v g="$GENERATIONS" -v s="$seconds" 'BEGIN { printf "%.1f", g / s }')
    printf '%-22s %-10s %8s %9s %9s %9s' "$name" "$([ $mode = s ] && echo sequential || echo parallel)" \
      "$threads" "$seconds" "$cpu" "$rate"
    if [ $mode = s ]; then
      sequential=$seconds
      echo
    else
      awk -v s="$sequential" -v p="$seconds" 'BEGIN { printf "   speed-up %.2f\n", s / p }'
    fi
  done
done <<<"$RUNS"
