#!/usr/bin/env bash
# The largest sensible runs, in both modes: a bit-string population of 10 000
# chromosomes of 1023 genes, and 2000-city tours (one-point and PMX) with a
# population of 200, three generations each. Checks that every run completes
# with self-consistent reports and prints its maximum resident set size, which
# must stay below 1 GiB. Not a timed test: the times printed are for reading.
#
# Usage: bench/stress.sh [path/to/zentrava]
set -euo pipefail

zentrava=$(realpath "${1:-build/zentrava}")
generations=3
cities=2000
limit_kib=$((1024 * 1024))

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Cities at fixed pseudo-random points, so that every run sees the same file.
awk -v n="$cities" 'BEGIN {
  print "NAME : stress" n; print "COMMENT : generated"; print "TYPE : TSP"
  print "DIMENSION : " n; print "EDGE_WEIGHT_TYPE : EUC_2D"; print "NODE_COORD_SECTION"
  srand(2000)
  for (i = 1; i <= n; ++i) printf "%d %d %d\n", i, int(rand() * 10000), int(rand() * 10000)
  print "EOF"
}' > "$tmp/cities.tsp"

failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# Checks one run's reports: generations numbered 1..G, maximum >= mean >=
# minimum, a sum of fitness of size times the mean, running counters that
# never decrease, and a best chromosome of the run's length; for tours that
# is a permutation of 1..n whose closed length is the distance printed.
check_reports() {
  local name=$1 out=$2 tour=$3 size=$4 length=$5
  local numbers
  numbers=$(sed -n 's/^\*\*\* Generation #\([0-9]*\) Report \*\*\*$/\1/p' "$out" | tr '\n' ' ')
  [ "$numbers" = "$(seq -s ' ' 1 "$generations") " ] || fail "$name: generation reports '$numbers'"
  grep -q '^\*\*\* Initial Generation Statistics \*\*\*$' "$out" || fail "$name: no initial report"

  awk -v size="$size" -v length_="$length" '
    /^(Initial population maximum|Maximum) fitness:/ { max = $NF }
    /^(Initial population average|Average) fitness:/ { avg = $NF }
    /^(Initial population minimum|Minimum) fitness:/ {
      if (!(max + 0 >= avg + 0 && avg + 0 >= $NF + 0)) { print "fitness order " max " " avg " " $NF; bad = 1 }
    }
    /^(Initial population sum of fitness|Sum of fitness):/ {
      d = $NF - size * avg; if (d < 0) d = -d
      if (d > 0.005 * size + 0.01) { print "sum " $NF " is not " size " times " avg; bad = 1 }
    }
    /^Best tour: / {
      if (split(substr($0, 12), genes, ">") != length_) { print "best chromosome not of length " length_; bad = 1 }
    }
    /^Crossovers:/ {
      if ($2 + 0 < crosses || $4 + 0 < mutations) { print "counters went down"; bad = 1 }
      crosses = $2 + 0; mutations = $4 + 0
    }
    END { exit bad }' "$out" || fail "$name: inconsistent figures"

  if [ "$tour" = yes ]; then
    awk -v n="$cities" '
      NR == FNR {
        if (FNR > 6 && $1 != "EOF") { x[$1] = $2; y[$1] = $3 }
        next
      }
      /^Best tour: / {
        k = split(substr($0, 12), ids, ">")
        if (k != n) { print "tour of " k " cities"; bad = 1; next }
        delete seen
        for (i = 1; i <= k; ++i) {
          if (ids[i] < 1 || ids[i] > n || (ids[i] in seen)) { print "not a permutation"; bad = 1; next }
          seen[ids[i]] = 1
        }
        length_ = 0
        for (i = 1; i <= k; ++i) {
          j = i % k + 1
          length_ += sqrt((x[ids[i]] - x[ids[j]])^2 + (y[ids[i]] - y[ids[j]])^2)
        }
        next
      }
      /^Best tour distance: / {
        d = length_ - $NF; if (d < 0) d = -d
        if (d > 0.01 + 1e-9 * length_) { print "distance " $NF " but the tour is " length_; bad = 1 }
        ++tours
      }
      END { if (tours != 1 + '"$generations"') { print tours " best tours"; bad = 1 }; exit bad }
    ' "$tmp/cities.tsp" "$out" || fail "$name: best tour"
  fi
}

run() {
  local name=$1 objective=$2 mode=$3 input=$4 tour=$5 size=$6 length=$7
  local out="$tmp/$name.out" err="$tmp/$name.err"
  local status=0
  (cd "$tmp" && printf '%b' "$input" | /usr/bin/time -v "$zentrava" "$objective" "$mode" \
    > "$out" 2> "$err") || status=$?
  if [ "$status" != 0 ]; then
    fail "$name: exit status $status"
    tail -5 "$err"
    return
  fi
  check_reports "$name" "$out" "$tour" "$size" "$length"
  local rss elapsed
  rss=$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$err")
  elapsed=$(sed -n 's/^\tElapsed (wall clock) time (h:mm:ss or m:ss): //p' "$err")
  printf '%-16s max RSS %8d KiB  wall %s\n' "$name" "$rss" "$elapsed"
  [ "$rss" -lt "$limit_kib" ] || fail "$name: resident set $rss KiB is not below 1 GiB"
}

for mode in s p; do
  run "p2-$mode" p2 "$mode" "10000\n1023\n$generations\n0.7\n0.001\n" no 10000 1023
  run "tsp-$mode" tsp "$mode" "cities.tsp\n200\n$generations\n0.7\n0.001\n" yes 200 "$cities"
  run "pmx-$mode" pmx "$mode" "cities.tsp\n200\n$generations\n0.7\n0.001\n" yes 200 "$cities"
done

if [ "$failures" -ne 0 ]; then
  echo "stress: $failures failure(s)"
  exit 1
fi
echo "stress: all runs complete and consistent, every resident set below 1 GiB"
