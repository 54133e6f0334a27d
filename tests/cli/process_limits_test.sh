#!/bin/bash
# Both programs at the edges of the machine: standard output that cannot be
# written, thread counts they will not start, runs that cannot fit in memory.
# Each ends with its one exact line on standard error and exit status 1.
source "$(dirname "$0")/run_common.sh"
DICEBENCH=$(realpath "$2")

# expect NAME STATUS LINE: the last run ($WORK/run.*) ended with STATUS and
# wrote exactly LINE (nothing when empty) to standard error.
expect() {
  [ "$(cat "$WORK/run.rc")" = "$2" ] || fail "$1: exit status $(cat "$WORK/run.rc"), expected $2"
  if [ -n "$3" ]; then printf '%s\n' "$3" >"$WORK/expected"; else : >"$WORK/expected"; fi
  expect_same "$1: standard error" "$WORK/expected" "$WORK/run.err"
}

# A pipe whose read end is closed before the program starts: fd 5 is its
# only end. head -c 100 as reader closes it after the first line instead.
mkfifo "$WORK/fifo"
exec 4<>"$WORK/fifo" 5>"$WORK/fifo" 4<&-
cannot="Error: Cannot write to standard output:"
p2="10 8 3 0.9 0.1"
tsp="examples/eil51.tsp 10 3 0.9 0.1"
long="10 8 100000 0.9 0.1"
while IFS='|' read -r target program input status line; do
  read -r -a command <<<"$program"
  command[0]=${command[0]/zentrava/$ZENTRAVA}
  command[0]=${command[0]/dicebench/$DICEBENCH}
  ignore=(env --ignore-signal=PIPE)
  case $target in
    full) timeout 60 "${command[@]}" <<<"$input" >/dev/full 2>"$WORK/run.err" ;;
    closed) timeout 60 "${command[@]}" <<<"$input" >&- 2>"$WORK/run.err" ;;
    read-only) timeout 60 "${command[@]}" <<<"$input" 1</dev/null 2>"$WORK/run.err" ;;
    closed-pipe) timeout 60 "${ignore[@]}" "${command[@]}" <<<"$input" >&5 2>"$WORK/run.err" ;;
    closed-pipe-sigpipe)
      timeout 60 env --default-signal=PIPE "${command[@]}" <<<"$input" >&5 2>"$WORK/run.err" ;;
    pipe-closed-later)
      timeout 60 "${ignore[@]}" "${command[@]}" <<<"$input" 2>"$WORK/run.err" | head -c 100 >/dev/null ;;
  esac
  echo "${PIPESTATUS[0]}" >"$WORK/run.rc"
  expect "$program >$target" "$status" "$line"
done < <(sed "s|\$cannot|$cannot|; s|\$p2|$p2|; s|\$tsp|$tsp|; s|\$long|$long|" <<'EOF'
full|zentrava p2 s|$p2|1|$cannot No space left on device!
closed|zentrava p2 s|$p2|1|$cannot Bad file descriptor!
read-only|zentrava tsp p|$tsp|1|$cannot Bad file descriptor!
closed-pipe|zentrava pmx s|$tsp|1|$cannot Broken pipe!
closed-pipe-sigpipe|zentrava p2 s|$p2|141|
pipe-closed-later|zentrava p2 p|$long|1|$cannot Broken pipe!
full|dicebench 10 2||1|$cannot No space left on device!
closed|dicebench 10 2||1|$cannot Bad file descriptor!
closed-pipe|dicebench 10 2||1|$cannot Broken pipe!
closed-pipe-sigpipe|dicebench 10 2||141|
pipe-closed-later|dicebench 10 100000||1|$cannot Broken pipe!
EOF
)
exec 5>&-

# Thread counts: refused before anything is printed where threads would start.
while IFS='|' read -r threads program input; do
  read -r -a command <<<"$program"
  command[0]=${command[0]/zentrava/$ZENTRAVA}
  command[0]=${command[0]/dicebench/$DICEBENCH}
  OMP_NUM_THREADS=$threads timeout 60 "${command[@]}" <<<"$input" >"$WORK/run.out" 2>"$WORK/run.err"
  echo $? >"$WORK/run.rc"
  expect "$threads threads, $program" 1 \
    "Error: $threads threads were requested; at most 1024 are supported!"
  [ ! -s "$WORK/run.out" ] || fail "$threads threads, $program: standard output is not empty"
done <<EOF
100000|zentrava p2 p|$p2
1025|zentrava tsp p|$tsp
100000|dicebench 10 1|
1025|dicebench 10 1|
EOF
# Small stacks: 1023 of the default 8 MiB would not fit in the i386 build's 4 GiB.
OMP_NUM_THREADS=1024 OMP_STACKSIZE=256K "$DICEBENCH" 1 1 >"$WORK/run.out" 2>"$WORK/run.err" ||
  fail "1024 threads, dicebench: $(cat "$WORK/run.err")"
grep -qx 'Parallel Runs with 1024 processors' "$WORK/run.out" || fail "1024 threads, dicebench: no parallel runs"
# An address-space limit keeps AddressSanitizer from starting, and LLVM's
# OpenMP runtime of the sanitizer builds fails on its own at a thread count as
# absurd as 2147483647: those cases are left to the other builds.
plain=yes
grep -qa __asan_init "$ZENTRAVA" && plain=no

# A sequential run draws from generator 0 alone: the thread setting changes nothing.
if [ $plain = yes ]; then
  for threads in 1 2147483647; do
    OMP_NUM_THREADS=$threads timeout 60 faketime -f '2026-01-01 00:00:00' "$ZENTRAVA" tsp s \
      <<<"$tsp" >"$WORK/s$threads.out" 2>"$WORK/run.err" ||
      fail "$threads threads, tsp s: $(cat "$WORK/run.err")"
  done
  expect_same "2147483647 threads, tsp s" "$WORK/s1.out" "$WORK/s2147483647.out"
fi

# Memory.
awk 'BEGIN { print "NAME : big\nCOMMENT : c\nTYPE : TSP\nDIMENSION : 500000\nE : EUC_2D\nNODE"
             for (i = 1; i <= 500000; i++) print i, i % 1000, int(i / 1000) }' >"$WORK/big.tsp"
need="Error: The populations need about [0-9]+ MiB, more than the"
while IFS='|' read -r limit program input line; do
  [ "$limit" = none ] || [ $plain = yes ] || continue
  read -r -a command <<<"$program"
  (
    [ "$limit" = none ] || ulimit -v "$limit"
    timeout 60 "$ZENTRAVA" "${command[@]}" <<<"$input" >"$WORK/run.out" 2>"$WORK/run.err"
    echo $? >"$WORK/run.rc"
  )
  name="$program under $limit KiB"
  [ "$(cat "$WORK/run.rc")" = 1 ] || fail "$name: exit status $(cat "$WORK/run.rc"), expected 1"
  grep -Exq "$line" "$WORK/run.err" && [ "$(wc -l <"$WORK/run.err")" = 1 ] ||
    fail "$name: standard error is not '$line': $(head -c 300 "$WORK/run.err")"
  ! grep -q 'Initial Generation' "$WORK/run.out" || fail "$name: a report was printed"
  # The estimate exceeds what is available, and that is the limit when there is one.
  [ "$line" != "Error: Out of memory!" ] || continue
  sed -E 's/^[^0-9]*([0-9]+)[^0-9]+([0-9]+).*/\1 \2/' "$WORK/run.err" | {
    read -r needed available
    [ "$needed" -gt "$available" ] || fail "$name: the need does not exceed the available memory"
    [ "$limit" = none ] || [ "$available" = $((limit / 1024)) ] ||
      fail "$name: $available MiB available under a limit of $((limit / 1024)) MiB"
  } || exit 1
done <<EOF
none|p2 s|2147483646 8 1 0.5 0.5|$need [0-9]+ MiB available!
262144|p10 p|2000000 1023 1 0.5 0.5|$need 256 MiB available!
262144|pmx s|examples/eil51.tsp 2000000 1 0.5 0.5|$need 256 MiB available!
32768|tsp s|$WORK/big.tsp 2 1 0.5 0.5|Error: Out of memory!
EOF
echo "process limits: ok"
