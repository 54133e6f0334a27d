#!/bin/bash
# Whole runs of every objective in both modes: the reports must agree with
# each other and with the city file, and a run repeats exactly when the clock
# second and the thread count are the same.
source "$(dirname "$0")/run_common.sh"

N=20 # population size: 20 / 20 = one elite pair
G=15 # generations

# tour_length CITY_FILE TOUR: the closed length of "a>b>...", or an error if
# the tour is not a permutation of the file's ids 1..n.
tour_length() {
  awk -v tour="$2" '
    FNR > 6 && NF == 3 { x[$1] = $2; y[$1] = $3; n++ }
    END {
      k = split(tour, id, ">")
      if (k != n) { print "tour of " k " cities, file of " n > "/dev/stderr"; exit 1 }
      for (i = 1; i <= k; i++) {
        if (!(id[i] in x) || seen[id[i]]++) { print "not a permutation at " id[i] > "/dev/stderr"; exit 1 }
      }
      for (i = 1; i < k; i++) d += sqrt((x[id[i + 1]] - x[id[i]]) ^ 2 + (y[id[i + 1]] - y[id[i]]) ^ 2)
      d += sqrt((x[id[k]] - x[id[1]]) ^ 2 + (y[id[k]] - y[id[1]]) ^ 2)
      printf "%.6f %d\n", d, n
    }' "$1"
}

while read -r objective mode input; do
  name="$objective-$mode"
  zrun "$name" "$objective" "$mode" <<<"$input"
  [ "$(cat "$WORK/$name.rc")" = 0 ] && [ ! -s "$WORK/$name.err" ] ||
    fail "$name: status $(cat "$WORK/$name.rc"): $(cat "$WORK/$name.err")"
  reports "$WORK/$name.out" >"$WORK/$name.table" || fail "$name: report layout"
  [ "$(wc -l <"$WORK/$name.table")" = $((G + 1)) ] || fail "$name: expected reports 0..$G"

  # Counters only grow, and at most by one crossover per bred (non-elite) pair;
  # max >= mean >= min, the sum is N means; elitism keeps the best from generation 1 on.
  awk -v N=$N -v name="$name" '
    function die(msg) { print name ", report " $1 ": " msg > "/dev/stderr"; exit 1 }
    {
      if (!($2 + 0 >= $3 + 0 && $3 + 0 >= $4 + 0)) die("max, mean, min out of order")
      s = $5 - $3 * N; if (s < 0) s = -s
      if (s > 0.005 * N + 0.01) die("sum " $5 " is not " N " x mean " $3)
      if (NR > 1 && ($6 < c || $7 < m)) die("a counter went down")
      if (NR > 1 && $6 - c > N / 2 - 1) die("more crossovers than bred pairs")
      if (NR > 2 && $2 + 0 < best) die("the best fitness went down despite the elite")
      c = $6; m = $7; best = $2
    }' "$WORK/$name.table" || exit 1

  case $objective in
    tsp | pmx)
      file=${input%% *}
      while read -r gen max _ _ _ _ _ dist tour; do
        read -r length cities < <(tour_length "$file" "$tour") || fail "$name, report $gen: bad tour $tour"
        [ "$(printf '%.2f' "$length")" = "$dist" ] ||
          fail "$name, report $gen: tour length $length, reported $dist"
        # The best tour belongs to the fittest individual: fitness = (100 n / length)^2.
        fitness=$(awk -v n="$cities" -v d="$length" 'BEGIN { printf "%.2f", (100 * n / d) ^ 2 }')
        [ "$fitness" = "$max" ] || fail "$name, report $gen: tour fitness $fitness, maximum $max"
      done <"$WORK/$name.table"
      ;;
    *)
      bits=${input#* }
      bits=${bits%% *}
      expected=$(printf -- '-1>%.0s' $(seq "$bits"))
      expected=${expected%>}
      awk -v tour="$expected" -v name="$name" '
        $8 != "0.00" || $9 != tour || $4 + 0 < 0 || $2 + 0 > 1 {
          print name ", report " $1 ": bad figures for a bit string: " $0 > "/dev/stderr"; exit 1
        }' "$WORK/$name.table" || exit 1
      ;;
  esac
done <<EOF
tsp s examples/eil51.tsp $N $G 0.9 0.05
tsp p examples/eil51.tsp $N $G 0.9 0.05
pmx s examples/circle30.tsp $N $G 0.9 0.05
pmx p examples/circle30.tsp $N $G 0.9 0.05
p2 s $N 40 $G 0.8 0.02
p2 p $N 40 $G 0.8 0.02
p10 s $N 40 $G 0.8 0.02
p10 p $N 40 $G 0.8 0.02
EOF

# Reproducibility: the clock second seeds the run, so pin it. The clock is
# frozen (-f) rather than started at that second, so a slow start cannot
# carry the seed into the next second.
command -v faketime >/dev/null || fail "faketime is not installed ('make deps' installs it)"
pinned() { # name, second, objective, mode, input
  OMP_NUM_THREADS=2 timeout 60 faketime -f "2026-01-01 00:00:0$2" \
    "$ZENTRAVA" "$3" "$4" <<<"$5" >"$WORK/$1.out" 2>&1 || fail "$1: status $?"
}
for run in "tsp p examples/eil51.tsp 40 20 0.9 0.05" "p2 s 40 64 20 0.8 0.02"; do
  read -r objective mode input <<<"$run"
  pinned first 0 "$objective" "$mode" "$input"
  pinned again 0 "$objective" "$mode" "$input"
  pinned later 1 "$objective" "$mode" "$input"
  expect_same "$objective $mode repeated" "$WORK/first.out" "$WORK/again.out"
  # Otherwise the equality above would prove nothing about the clock.
  ! cmp -s "$WORK/first.out" "$WORK/later.out" || fail "$objective $mode: another second gave the same run"
done
echo "consistent runs: ok"
