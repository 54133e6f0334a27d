#!/usr/bin/env bash
# dicebench: usage text, output layout, and figures of a uniform generator.
# Arguments: path to zentrava, path to dicebench, repository root.
set -u
dicebench=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  printf 'FAIL: %s\n' "$1" >&2
  exit 1
}

printf '%s\n' \
  '*** Random Number Generator -- Test Program' \
  "Usage: $dicebench <NUM_ITERATIONS> <NUM_TESTRUNS>" \
  'NUM_ITERATIONS: Number of iterations to be done' \
  'NUM_TESTRUNS:Number of test runs to execute' >"$work/usage"
for args in '' '1000'; do
  # shellcheck disable=SC2086  # the words of $args are the arguments
  "$dicebench" $args </dev/null >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 1 ] || fail "usage '$args': exit status $status, expected 1"
  [ ! -s "$work/out" ] || fail "usage '$args': standard output is not empty"
  cmp -s "$work/usage" "$work/err" ||
    fail "usage '$args': standard error differs:"$'\n'"$(diff "$work/usage" "$work/err")"
done

# Each count is decimal digits alone, 1 to 2147483647; NUM_ITERATIONS is checked first.
while IFS='|' read -r iterations testRuns named; do
  "$dicebench" "$iterations" "$testRuns" </dev/null >"$work/out" 2>"$work/err"
  status=$?
  case="'$iterations' '$testRuns'"
  [ "$status" -eq 1 ] || fail "$case: exit status $status, expected 1"
  [ ! -s "$work/out" ] || fail "$case: standard output is not empty"
  { echo "Error: $named must be a whole number from 1 to 2147483647!"; cat "$work/usage"; } >"$work/expected"
  cmp -s "$work/expected" "$work/err" ||
    fail "$case: standard error differs:"$'\n'"$(diff "$work/expected" "$work/err")"
done <<'EOF'
abc|def|NUM_ITERATIONS
0|2|NUM_ITERATIONS
99999999999999999999|1|NUM_ITERATIONS
2147483648|1|NUM_ITERATIONS
+5|1|NUM_ITERATIONS
-1|1|NUM_ITERATIONS
 5|1|NUM_ITERATIONS
5x|0|NUM_ITERATIONS
|1|NUM_ITERATIONS
5|0|NUM_TESTRUNS
5|1.5|NUM_TESTRUNS
5|2 |NUM_TESTRUNS
5|4294967297|NUM_TESTRUNS
EOF
# The largest counts are accepted; the reader ends the endless run.
timeout 60 "$dicebench" 007 2147483647 </dev/null 2>&1 | head -n 7 | tail -n 2 >"$work/out"
printf 'Iterations: 7\nTest runs: 2147483647\n' | cmp -s - "$work/out" ||
  fail "007 2147483647: counts not read as 7 and 2147483647: $(cat "$work/out")"

# Result line of run $1: run number in width 2, figures in width 10 with 6 decimals.
result() {
  printf '^%2s:    Average:   0\\.[0-9]{6}        Variance:   0\\.[0-9]{6}$' "$1"
}

OMP_NUM_THREADS=3 "$dicebench" 1000 3 >"$work/out" 2>"$work/err" || fail "1000 3: exit status $?"
[ ! -s "$work/err" ] || fail "1000 3: standard error is not empty"
printf '%s\n' '' '*** Random Number Generator -- Test Program' 'Version 1.0, 14-01-2009' '' \
  'Running configuration...' 'Iterations: 1000' 'Test runs: 3' '' 'Sequential Runs' >"$work/head"
head -n 9 "$work/out" | cmp -s "$work/head" - || fail "1000 3: header differs"
[ "$(wc -l <"$work/out")" -eq 17 ] || fail "1000 3: not 17 lines"
[ "$(sed -n 13p "$work/out")" = '' ] || fail "1000 3: no empty line before the parallel runs"
[ "$(sed -n 14p "$work/out")" = 'Parallel Runs with 3 processors' ] ||
  fail "1000 3: parallel heading does not follow OMP_NUM_THREADS"
for line in 10 11 12 15 16 17; do
  run=$(((line - 9) % 5))
  sed -n "${line}p" "$work/out" | grep -Eq "$(result "$run")" ||
    fail "1000 3: line $line is not the result of run $run: $(sed -n "${line}p" "$work/out")"
done

"$dicebench" 10 101 >"$work/out" 2>&1 || fail "10 101: exit status $?"
for run in 7 100 101; do
  [ "$(grep -cE "$(result "$run")" "$work/out")" -eq 2 ] ||
    fail "10 101: run $run is not printed once per section as '$(printf '%2s' "$run"):'"
done

# A million draws: near 1/2 and 1/12 in both sections.
"$dicebench" 1000000 2 >"$work/out" 2>&1 || fail "1000000 2: exit status $?"
awk '/Average:/ {
       ++n
       a = $3 - 0.5; v = $5 - 0.083333
       if (a < -0.005 || a > 0.005 || v < -0.002 || v > 0.002) { print "off: " $0; bad = 1 }
     }
     END { exit (bad || n != 4) }' "$work/out" || fail "1000000 2: figures off or lines missing"

echo 'dicebench_test: all cases pass'
