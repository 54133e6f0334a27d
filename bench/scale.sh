#!/usr/bin/env bash
# Tour runs at scale: 10^5 and 10^6 uniformly random cities, population 10,
# one generation, crossover 0.7, mutation 0.01, for both tour encodings in
# both modes. Prints each run's wall and processor time and peak resident set,
# and how many times longer 10^6 cities take than 10^5. Not a timed
# test: the figures are for reading (the aim is under 10 s a run at 10^6, at
# most 15 times 10^5). On a shared machine the processor time is the steadier.
#
# Usage: bench/scale.sh [path/to/zentrava]
set -euo pipefail

zentrava=$(realpath "${1:-build/zentrava}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for n in 100000 1000000; do
  awk -v n="$n" 'BEGIN {
    print "NAME : uniform" n; print "COMMENT : uniformly random in a square of side 10^6"
    print "TYPE : TSP"; print "DIMENSION : " n; print "EDGE_WEIGHT_TYPE : EUC_2D"
    print "NODE_COORD_SECTION"
    srand(n)
    for (i = 1; i <= n; ++i) printf "%d %.3f %.3f\n", i, rand() * 1000000, rand() * 1000000
    print "EOF"
  }' >"$tmp/$n.tsp"
done

status=0
printf '%-8s %-4s %9s %10s %10s %14s\n' encoding mode cities "wall (s)" "cpu (s)" "peak RSS (KiB)"
for encoding in tsp pmx; do
  for mode in s p; do
    small="0 0" wall=0 cpu=0
    for n in 100000 1000000; do
      if ! printf '%s\n10\n1\n0.7\n0.01\n' "$tmp/$n.tsp" |
        /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" "$zentrava" "$encoding" "$mode" >"$tmp/out"; then
        echo "FAIL $encoding $mode $n: exit status other than 0"
        status=1
        continue
      fi
      grep -q '^\*\*\* Generation #1 Report \*\*\*$' "$tmp/out" || {
        echo "FAIL $encoding $mode $n: no report of generation 1"
        status=1
      }
      read -r wall user system rss <"$tmp/time"
      cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
      printf '%-8s %-4s %9d %10.2f %10.2f %14d\n' "$encoding" "$mode" "$n" "$wall" "$cpu" "$rss"
      [ "$n" = 100000 ] && small="$wall $cpu"
    done
    awk -v small="$small" -v wall="$wall" -v cpu="$cpu" -v e="$encoding" -v m="$mode" 'BEGIN {
      split(small, a, " ")
      printf "%-8s %-4s 10^6 / 10^5: wall %.1f times, cpu %.1f times\n", e, m,
        (a[1] > 0 ? wall / a[1] : 0), (a[2] > 0 ? cpu / a[2] : 0)
    }'
  done
done
exit "$status"
