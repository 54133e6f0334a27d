#!/bin/bash
# The run-configuration block, the city-file and parameter dialogues as they
# appear on standard output when standard input is piped, and runs of 0 and 1
# generations.
source "$(dirname "$0")/run_common.sh"

T=$'\t'
SQUARE=examples/square4.tsp
ASK="Enter relative path to file> $T"
# What the city-file dialogue prints: the prompt, header lines 1-5 each after a tab, the count.
{ printf '%s' "$ASK"; head -n 5 "$SQUARE" | sed "s/^/$T/"; printf '\t# of Cities read: 4\n'; } >"$WORK/square.echo"
LENGTH="Enter chromosome length> $T"
REST="Enter max. generations> ${T}Enter crossover probability> ${T}Enter mutation probability> $T"

# Keyword (in mixed case too), mode keyword, mode line, objective lines.
while IFS='|' read -r keyword mode modeLine objective encoding; do
  name="$keyword-$mode"
  config_block "$modeLine" "Objective: $T$T$objective" "Encoding: $T$T$encoding" >"$WORK/expected"
  case $encoding in
    Binary) input="2 3 0 0.5 0.5" prompts="$LENGTH$REST" ;;
    *)
      input="$SQUARE 2 0 0.5 0.5" prompts=$REST
      cat "$WORK/square.echo" >>"$WORK/expected"
      ;;
  esac
  printf '\nInitializing parameters...\nEnter Population size> \t\t%s\n' "$prompts" >>"$WORK/expected"
  zrun "$name" "$keyword" "$mode" <<<"$input"
  [ "$(cat "$WORK/$name.rc")" = 0 ] || fail "$name: exit status $(cat "$WORK/$name.rc")"
  [ ! -s "$WORK/$name.err" ] || fail "$name: unexpected standard error: $(cat "$WORK/$name.err")"
  head -n "$(wc -l <"$WORK/expected")" "$WORK/$name.out" >"$WORK/$name.head"
  expect_same "$name" "$WORK/expected" "$WORK/$name.head"
  # maxGeneration 0: the initial report ends the output.
  reports "$WORK/$name.out" >"$WORK/$name.table" || fail "$name: report layout"
  [ "$(wc -l <"$WORK/$name.table")" = 1 ] || fail "$name: a generation report after 0 generations"
done <<'EOF'
p2|s|Sequential|Power of Two |Binary
P2|p|Parallel|Power of Two |Binary
p10|s|Sequential|Power of Ten|Binary
p10|P|Parallel|Power of Ten|Binary
tsp|s|Sequential|TSP|Permutation
TSP|p|Parallel|TSP|Permutation
pmx|S|Sequential|TSP|Permutation using PMX
Pmx|p|Parallel|TSP|Permutation using PMX
EOF

# The size prompt until the size is even; the prompts of values typed ahead run together.
dialogue() { # name, objective, typed values, expected text after "Initializing parameters..."
  zrun "$1" "$2" s <<<"$3"
  [ "$(cat "$WORK/$1.rc")" = 0 ] || fail "$1: exit status $(cat "$WORK/$1.rc"): $(cat "$WORK/$1.err")"
  sed -n '/^Initializing parameters/,/Enter mutation probability/p' "$WORK/$1.out" >"$WORK/$1.dialogue"
  printf 'Initializing parameters...\n%s\n' "$4" >"$WORK/expected"
  expect_same "$1" "$WORK/expected" "$WORK/$1.dialogue"
}
SIZE="Enter Population size> $T$T"
ODD="Population size must be divisible by 2!"
dialogue retry p2 $'7\n9\n10\n4\n0\n0.5\n0.5' "$SIZE$ODD
$SIZE$ODD
$SIZE$LENGTH$REST"
dialogue oneLine p10 "4 4 0 0.5 0.5" "$SIZE$LENGTH$REST"
dialogue tour tsp "$SQUARE 4 0 0.5 0.5" "$SIZE$REST"
dialogue pmxTour pmx "$SQUARE 4 0 0.5 0.5" "$SIZE$REST"

# maxGeneration 1: exactly one generation report, numbered 1.
for objective in p2 tsp; do
  case $objective in p2) input="4 3 1 0.5 0.5" ;; *) input="$SQUARE 4 1 0.5 0.5" ;; esac
  zrun "one-$objective" "$objective" p <<<"$input"
  [ "$(cat "$WORK/one-$objective.rc")" = 0 ] || fail "one-$objective: exit status"
  reports "$WORK/one-$objective.out" >"$WORK/one.table" || fail "one-$objective: report layout"
  [ "$(cut -d' ' -f1 "$WORK/one.table" | tr '\n' ' ')" = "0 1 " ] ||
    fail "one-$objective: expected the initial report and report #1 only"
done
echo "run configuration and dialogues: ok"
