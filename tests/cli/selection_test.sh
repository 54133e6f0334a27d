#!/bin/bash
# The -ss option: the roulette wheel unchanged, the line that names each
# scheme, one thread of a parallel run breeding as a sequential run does, whole
# runs of every scheme, and the refusals.
source "$(dirname "$0")/run_common.sh"

P2="20 40 8 0.8 0.02"
PMX="examples/circle30.tsp 20 8 0.9 0.05"
scheme_line() { sed -n 7p "$WORK/$1.out"; }

# -ss rw, in any case, is today's run byte for byte.
for run in "p2 s $P2" "pmx p $PMX"; do
  read -r objective mode input <<<"$run"
  OMP_NUM_THREADS=2 zrun plain "$objective" "$mode" --seed 11 <<<"$input"
  OMP_NUM_THREADS=2 zrun wheel "$objective" "$mode" -ss RW --seed 11 <<<"$input"
  expect_same "$objective $mode -ss RW" "$WORK/plain.out" "$WORK/wheel.out"
done

# Each scheme: its line, a valid run in which the elite keeps the best, and
# one thread in parallel mode drawing what the sequential run draws.
while IFS='|' read -r scheme line; do
  for run in "p2 $P2" "pmx $PMX"; do
    read -r objective input <<<"$run"
    name="$objective-${scheme//:/}"
    zrun "$name" "$objective" s -ss "$scheme" --seed 5 <<<"$input"
    [ "$(cat "$WORK/$name.rc")" = 0 ] && [ ! -s "$WORK/$name.err" ] || fail "$name: $(cat "$WORK/$name.err")"
    [ "$(scheme_line "$name")" = "Selection Scheme: $(printf '\t')$line" ] ||
      fail "$name: scheme line [$(scheme_line "$name")]"
    reports "$WORK/$name.out" >"$WORK/$name.table" || fail "$name: report layout"
    awk 'NR > 2 && $2 + 0 < best { exit 1 } { best = $2 }' "$WORK/$name.table" ||
      fail "$name: the best fitness went down despite the elite"
    OMP_NUM_THREADS=1 zrun "$name-p" "$objective" p -ss "$scheme" --seed 5 <<<"$input"
    sed 's/^Mode: \t\t\tParallel$/Mode: \t\t\tSequential/' "$WORK/$name-p.out" >"$WORK/$name-p.as-s"
    expect_same "$name: one thread against sequential" "$WORK/$name.out" "$WORK/$name-p.as-s"
  done
done <<'EOF'
rw|Roulette Wheel
tour|Tournament of 2
Tour:3|Tournament of 3
tour:20|Tournament of 20
rank|Linear Rank
RANK|Linear Rank
EOF
! cmp -s "$WORK/p2-tour.out" "$WORK/p2-rank.out" || fail "tournament and rank runs are the same"

# Refusals on the command line: the error line, the usage text, nothing on
# standard output. The tournament size against the population, once it is read.
usage_lines=12
while IFS='|' read -r expected args; do
  read -ra argv <<<"$args"
  case $args in *"''"*) argv=("${argv[@]//\'\'/}") ;; esac
  zrun refused "${argv[@]}" <<<"$P2"
  [ "$(cat "$WORK/refused.rc")" = 1 ] || fail "[$args]: status $(cat "$WORK/refused.rc")"
  [ ! -s "$WORK/refused.out" ] || fail "[$args]: standard output is not empty"
  lines=$((usage_lines + 1))
  case $expected in "Error: Invalid seed"*) lines=1 ;; esac
  [ "$(head -n 1 "$WORK/refused.err")" = "$expected" ] && [ "$(wc -l <"$WORK/refused.err")" = $lines ] ||
    fail "[$args]: standard error: $(head -n 2 "$WORK/refused.err")"
done <<'EOF'
Error: Invalid argument, '' is unknown!|p2 s -ss
Error: Invalid argument, '' is unknown!|p2 s -ss ''
Error: Invalid argument, 'ts' is unknown!|tsp s -ss ts
Error: Invalid argument, 'tour:1' is unknown!|p2 p -ss tour:1
Error: Invalid argument, 'tour:' is unknown!|p2 s -ss tour:
Error: Invalid argument, 'tour:+3' is unknown!|p2 s -ss tour:+3
Error: Invalid argument, 'tour:3x' is unknown!|p10 s -ss tour:3x
Error: Invalid argument, 'tour:99999999999' is unknown!|p2 s -ss tour:99999999999
Error: Invalid argument, 'tournament' is unknown!|pmx s -ss tournament
Error: Invalid argument, '--seed' is unknown!|p2 s -ss --seed 1
Error: Invalid argument, 'x' is unknown!|p2 s -ss x --seed y
Error: Invalid seed 'y'; a seed is a whole number from 0 to 4294967295!|p2 s --seed y -ss x
EOF

# A tournament larger than the typed population, right after the size is read.
for run in "p2 tour:21 $P2" "tsp TOUR:5 examples/square4.tsp 4 5 0.5 0.5"; do
  read -r objective scheme input <<<"$run"
  zrun big "$objective" s -ss "$scheme" <<<"$input"
  k=${scheme#*:}
  echo "Error: A tournament of $k needs a population of at least $k!" >"$WORK/expected"
  [ "$(cat "$WORK/big.rc")" = 1 ] || fail "$objective $scheme: status $(cat "$WORK/big.rc")"
  expect_same "$objective $scheme" "$WORK/expected" "$WORK/big.err"
  prompt=$'Enter Population size> \t\t'
  [ "$(tail -c ${#prompt} "$WORK/big.out")" = "$prompt" ] ||
    fail "$objective $scheme: output after the size prompt"
done
echo "selection schemes: ok"
