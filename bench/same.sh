#!/bin/bash
# Compares the complete output of two zentrava builds, byte for byte, over
# runs of every objective and mode with the clock pinned, at chromosome
# lengths around the word and block sizes of the engine, on 1 to 4 threads.
# Usage: bash bench/same.sh OLD_ZENTRAVA NEW_ZENTRAVA
set -u

OLD=$(realpath "${1:?usage: bash bench/same.sh OLD_ZENTRAVA NEW_ZENTRAVA}")
NEW=$(realpath "${2:?usage: bash bench/same.sh OLD_ZENTRAVA NEW_ZENTRAVA}")
cd "$(dirname "$0")/.."
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# objective | typed parameters
RUNS="p2|20 1 5 0.9 0.5
p2|40 40 20 0.8 0.02
p2|22 63 15 1 1
p2|30 64 15 0.9 0
p2|26 65 15 0.5 0.3
p2|60 127 15 0.9 0.01
p2|100 1000 10 0.9 0.001
p2|50 1023 10 0.9 0.001
p2|20 1100 5 0.9 0.01
p10|40 40 20 0.8 0.02
p10|60 300 10 0.9 0.005
tsp|examples/square4.tsp 20 10 0.9 0.2
tsp|examples/circle30.tsp 40 20 0.9 0.05
tsp|examples/eil51.tsp 40 20 0.9 0.05
tsp|examples/random200.tsp 100 10 0.9 0.01
tsp|examples/random200.tsp 30 5 0 1
tsp|examples/pr1002.tsp 20 3 0.9 0.01
pmx|examples/square4.tsp 20 10 0.9 0.2
pmx|examples/circle30.tsp 40 20 0.9 0.05
pmx|examples/eil51.tsp 40 20 0.9 0.05
pmx|examples/random200.tsp 100 10 0.9 0.01
pmx|examples/random200.tsp 30 5 1 0.5
pmx|examples/pr1002.tsp 20 3 0.9 0.01"

runs=0
differ=0
while IFS='|' read -r objective typed; do
  for mode in s p; do
    for threads in 1 2 3 4; do
      [ $mode = s ] && [ $threads != 1 ] && continue
      for second in 0 7; do
        for build in OLD NEW; do
          OMP_NUM_THREADS=$threads faketime -f "2026-01-01 00:00:0$second" "${!build}" \
            "$objective" "$mode" <<<"$typed" >"$WORK/$build.out" 2>&1
          echo "status $?" >>"$WORK/$build.out"
        done
        runs=$((runs + 1))
        if ! cmp -s "$WORK/OLD.out" "$WORK/NEW.out"; then
          differ=$((differ + 1))
          echo "DIFFERS: $objective $mode, $threads threads, second $second: $typed"
          diff "$WORK/OLD.out" "$WORK/NEW.out" | head -6
        fi
      done
    done
  done
done <<<"$RUNS"
echo "$runs runs compared, $differ differ"
[ "$differ" = 0 ]
