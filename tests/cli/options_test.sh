#!/bin/bash
# The options after the mode: a --seed run against a run with the clock
# frozen at that second, --log rows against the printed reports, the option
# grammar and every refusal of an option.
source "$(dirname "$0")/run_common.sh"

command -v faketime >/dev/null || fail "faketime is not installed ('make deps' installs it)"
export OMP_NUM_THREADS=2
SEED=1714564800
SEED_LINE=$'Seed: \t\t\t'

input_of() {
  case $1 in
    tsp) echo "examples/eil51.tsp 20 6 0.9 0.05" ;;
    pmx) echo "examples/circle30.tsp 20 6 0.9 0.05" ;;
    *) echo "20 40 6 0.8 0.02" ;;
  esac
}

# ok NAME: the run NAME ended with status 0 and nothing on standard error.
ok() {
  [ "$(cat "$WORK/$1.rc")" = 0 ] && [ ! -s "$WORK/$1.err" ] ||
    fail "$1: status $(cat "$WORK/$1.rc"): $(cat "$WORK/$1.err")"
}

# unseeded NAME: NAME.out without its seed line, which must follow the encoding line.
unseeded() {
  local at
  at=$(grep -n '^Encoding: ' "$WORK/$1.out" | cut -d: -f1)
  [ -n "$at" ] && [ "$(sed -n "$((at + 1))p" "$WORK/$1.out")" = "$SEED_LINE${2:-$SEED}" ] ||
    fail "$1: no seed line after the encoding line"
  sed "$((at + 1))d" "$WORK/$1.out"
}

for objective in p2 p10 tsp pmx; do
  for mode in s p; do
    name=$objective-$mode
    input=$(input_of $objective)
    zrun "$name" "$objective" "$mode" --seed $SEED --log "$WORK/$name.csv" <<<"$input"
    ok "$name"
    FAKETIME_FMT=%s timeout 60 faketime -f $SEED "$ZENTRAVA" "$objective" "$mode" <<<"$input" \
      >"$WORK/$name.clock" 2>&1 || fail "$name: the run at a frozen clock failed"
    unseeded "$name" >"$WORK/$name.plain"
    expect_same "$name: --seed against the frozen clock" "$WORK/$name.clock" "$WORK/$name.plain"

    # The log: its header, then one row per report agreeing to the printed two decimals.
    reports "$WORK/$name.out" | cut -d' ' -f1-8 >"$WORK/$name.table" || fail "$name: report layout"
    head -n 1 "$WORK/$name.csv" >"$WORK/header"
    echo "generation,maximum,mean,minimum,sum,crossovers,mutations,best_distance" >"$WORK/expected"
    expect_same "$name: log header" "$WORK/expected" "$WORK/header"
    awk -F, 'NR > 1 {
      if (NF != 8) { print "bad row " NR > "/dev/stderr"; exit 1 }
      printf "%d %.2f %.2f %.2f %.2f %d %d %.2f\n", $1, $2, $3, $4, $5, $6, $7, $8
    }' "$WORK/$name.csv" >"$WORK/$name.rounded" || fail "$name: log rows"
    expect_same "$name: log rows against the reports" "$WORK/$name.table" "$WORK/$name.rounded"
  done
done
# Full precision: the p2 mean of 20 fitness values of 40-bit strings needs more than 15 digits.
grep -qE '^[0-9]+,[^,]*,0\.[0-9]{16}' "$WORK/p2-s.csv" || fail "log values are not in full precision"

# Other seeds give other runs; the bounds are accepted as given. Arguments that
# are not options are ignored, and of a repeated option the last counts.
input=$(input_of p2)
for seed in 1 2 0 4294967295; do
  zrun "seed$seed" p2 s --seed $seed <<<"$input"
  ok "seed$seed"
  unseeded "seed$seed" $seed >"$WORK/seed$seed.plain"
done
! cmp -s "$WORK/seed1.plain" "$WORK/seed2.plain" || fail "seeds 1 and 2 gave the same run"
zrun mixed p2 s extra --seed x -v --seed 2 --log "$WORK/first.csv" more --log "$WORK/last.csv" \
  <<<"$input"
ok mixed
expect_same "ignored and repeated arguments" "$WORK/seed2.out" "$WORK/mixed.out"
[ ! -e "$WORK/first.csv" ] && [ -s "$WORK/last.csv" ] || fail "the earlier --log was not ignored"

# Refusals: status 1, nothing on standard output, the exact first line on
# standard error and, where the usage text follows, its 12 lines.
dir=$WORK/dir
mkdir "$dir"
missing=$WORK/no/such/dir/run.csv
cases=0
invalid() { echo "Error: Invalid seed '$1'; a seed is a whole number from 0 to 4294967295!"; }
while IFS='|' read -r lines message args; do
  read -ra argv <<<"$args"
  [ "$args" != "p2 s --seed ''" ] || argv=(p2 s --seed "")
  zrun refused "${argv[@]}" <<<"$input"
  [ "$(cat "$WORK/refused.rc")" = 1 ] || fail "[$args]: status $(cat "$WORK/refused.rc")"
  [ ! -s "$WORK/refused.out" ] || fail "[$args]: standard output is not empty"
  [ "$(head -n 1 "$WORK/refused.err")" = "$message" ] && [ "$(wc -l <"$WORK/refused.err")" = "$lines" ] ||
    fail "[$args]: standard error: $(cat "$WORK/refused.err")"
  cases=$((cases + 1))
done <<EOF
1|$(invalid '')|p2 s --seed
1|$(invalid '')|p2 s --seed ''
1|$(invalid -1)|p2 s --seed -1
1|$(invalid +5)|p2 s --seed +5
1|$(invalid 4294967296)|p2 s --seed 4294967296
1|$(invalid 99999999999999999999999)|tsp p --seed 99999999999999999999999
1|$(invalid 12x)|p10 s --seed 12x
1|$(invalid 0x10)|pmx s --seed 0x10
1|$(invalid --log)|p2 s --seed --log x.csv
1|Error: Cannot write the log file '$missing'!|p2 s --log $missing
1|Error: Cannot write the log file '$dir'!|p2 s --log $dir
1|Error: Cannot write the log file '$missing'!|p2 s --log $missing --seed x
1|$(invalid x)|p2 s --seed x --log $missing
13|Error: Invalid argument, 'p3' is unknown!|p3 s --seed x
EOF
[ "$cases" = 14 ] || fail "only $cases refusals were tried"
# --log as the last argument: an empty value, as the empty argument is.
for last in yes no; do
  if [ $last = yes ]; then zrun refused p2 s --log <<<"$input"; else zrun refused p2 s --log "" <<<"$input"; fi
  [ "$(cat "$WORK/refused.rc")" = 1 ] && [ "$(cat "$WORK/refused.err")" = "Error: Cannot write the log file ''!" ] ||
    fail "--log without a value: $(cat "$WORK/refused.err")"
done
# A log created before a later refusal holds nothing.
zrun refused p2 s --log "$WORK/early.csv" --seed x <<<"$input"
[ "$(cat "$WORK/refused.rc")" = 1 ] && [ -e "$WORK/early.csv" ] && [ ! -s "$WORK/early.csv" ] ||
  fail "a log before a refused seed is not empty"
# An existing log survives a refused run and is replaced by a run that starts.
echo old >"$WORK/kept.csv"
zrun refused p2 s --log "$WORK/kept.csv" --seed x <<<"$input"
[ "$(cat "$WORK/kept.csv")" = old ] || fail "a refused run emptied an existing log"
zrun replaced p2 s --log "$WORK/kept.csv" <<<"$input"
[ "$(head -1 "$WORK/kept.csv")" = generation,maximum,mean,minimum,sum,crossovers,mutations,best_distance ] &&
  ! grep -q old "$WORK/kept.csv" || fail "a run did not replace an existing log"

# A failed write to the log ends the run at that report.
zrun full p2 s --log /dev/full <<<"$input"
[ "$(cat "$WORK/full.rc")" = 1 ] || fail "--log /dev/full: status $(cat "$WORK/full.rc")"
echo "Error: Cannot write to the log file '/dev/full': No space left on device!" >"$WORK/expected"
expect_same "--log /dev/full" "$WORK/expected" "$WORK/full.err"
grep -q 'Initial Generation' "$WORK/full.out" && ! grep -q 'Generation #1' "$WORK/full.out" ||
  fail "--log /dev/full: the run went on after the failed write"
echo "options: ok"
