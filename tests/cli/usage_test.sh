#!/usr/bin/env bash
# zentrava's command line: every refusal prints the exact error line and usage
# text on standard error, nothing on standard output, and exits with 1;
# keywords match whole words in any case; arguments after the mode that are
# not options are ignored.
# Arguments: path to zentrava, path to dicebench, repository root.
set -u
zentrava=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  printf 'FAIL: %s\n' "$1" >&2
  exit 1
}

expected_usage() {
  printf '%s\n' \
    '*** Zentrava' \
    "Usage: $zentrava <OBJECTIVE> <MODE> [-ss <SELECTION_SCHEME>]" \
    'OBJECTIVE: ' \
    $'\ttsp = traveling salesman problem ' \
    $'\tpmx = tsp using partially matched crossover ' \
    $'\tp2 = PowerOfTwo' \
    $'\tp10 = PowerOfTen' \
    'MODE:' \
    $'\ts = sequential' \
    $'\tp = parallel' \
    'SELECTION_SCHEME:' \
    $'\trw = roulette wheel (default)'
}

# refused CASE NAMED_ARGUMENT|- ARGS...: "-" expects the usage text alone.
refused() {
  local case=$1 named=$2
  shift 2
  "$zentrava" "$@" </dev/null >"$work/out" 2>"$work/err"
  local status=$?
  {
    [ "$named" = - ] || printf "Error: Invalid argument, '%s' is unknown!\n" "$named"
    expected_usage
  } >"$work/expected"
  [ "$status" -eq 1 ] || fail "$case: exit status $status, expected 1"
  [ ! -s "$work/out" ] || fail "$case: standard output is not empty"
  cmp -s "$work/expected" "$work/err" ||
    fail "$case: standard error differs:"$'\n'"$(diff "$work/expected" "$work/err")"
}

refused 'no argument' -
refused 'one argument' - tsp
refused 'unknown objective' p3 p3 s
refused 'unknown mode' x p2 x
refused 'both unknown' p3 p3 x
refused 'empty objective' '' '' s
refused 'empty mode' '' pmx ''
refused 'leading blank' ' p2' ' p2' s
refused 'prefix of a keyword' p p s

# accepted CASE MODE_LINE ENCODING_LINE ARGS...: the run assembly takes over
# and, given no input, refuses it on its own.
accepted() {
  local case=$1 mode=$2 encoding=$3
  shift 3
  "$zentrava" "$@" </dev/null >"$work/out" 2>"$work/err"
  ! grep -q 'Usage:' "$work/err" || fail "$case: the usage text was printed"
  [ "$(sed -n 2p "$work/out")" = '*** Zentrava ***' ] || fail "$case: no run configuration"
  grep -qxF "$mode" "$work/out" || fail "$case: no line '$mode'"
  grep -qxF "$encoding" "$work/out" || fail "$case: no line '$encoding'"
}

accepted 'upper case' $'Mode: \t\t\tSequential' $'Encoding: \t\tPermutation' TSP S
accepted 'mixed case' $'Mode: \t\t\tParallel' $'Encoding: \t\tPermutation using PMX' Pmx p

# Extra arguments change nothing (-s and -SS are no options): with the clock
# frozen both runs seed from the same second and are identical.
parameters='4 8 1 0.5 0.1'
pinned=()
command -v faketime >/dev/null && pinned=(faketime -f '2021-05-05 12:00:00')
printf '%s\n' "$parameters" | "${pinned[@]}" "$zentrava" p10 s -s foo -SS bar >"$work/extra" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] || fail "extra arguments: exit status $status, expected 0"
[ ! -s "$work/err" ] || fail "extra arguments: standard error is not empty"
grep -q '^\*\*\* Generation #1 Report \*\*\*$' "$work/extra" || fail "extra arguments: no report"
if [ ${#pinned[@]} -gt 0 ]; then
  printf '%s\n' "$parameters" | "${pinned[@]}" "$zentrava" p10 s >"$work/plain" 2>/dev/null
  cmp -s "$work/plain" "$work/extra" || fail "extra arguments: output differs from 'p10 s'"
fi

echo 'usage_test: all cases pass'
