#!/usr/bin/env bash
# The threaded code under ThreadSanitizer, with 2 and 4 threads: the unit tests
# (parallel reproduction, the counters, the generator table, crossParallel)
# and real parallel runs of p2, tsp and pmx, with every selection scheme. Any
# report fails the check.
#
# libgomp is not instrumented, so the build uses clang with LLVM's libomp, and
# Archer (libomp's TSan tool) tells TSan about the runtime's barriers and
# joins; without it the end of every region would be reported as a race.
#
# Usage: tests/tsan/run.sh BUILD_DIR REPOSITORY_ROOT
set -euo pipefail

build=$(realpath "$1")
root=$(realpath "$2")
archer=${ARCHER_LIBRARY:-/usr/lib/llvm-14/lib/libarcher.so}
[ -r "$archer" ] || { echo "tsan: $archer not found (Debian package libomp-14-dev)"; exit 1; }

export OMP_TOOL_LIBRARIES=$archer
export ARCHER_OPTIONS=verbose=1
export TSAN_OPTIONS="ignore_noninstrumented_modules=1 halt_on_error=1 exitcode=66"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
checks=0

# check NAME INPUT COMMAND...: runs COMMAND with INPUT on standard input; it
# must exit 0, with Archer active (its greeting goes to standard output) and
# no sanitizer report on standard error.
check() {
  local name=$1 input=$2
  shift 2
  local status=0
  checks=$((checks + 1))
  (cd "$tmp" && printf '%b' "$input" | "$@" > "$tmp/out" 2> "$tmp/err") || status=$?
  if [ "$status" = 0 ] && grep -q '^Archer detected OpenMP application with TSan' "$tmp/out" &&
     ! grep -q 'ThreadSanitizer' "$tmp/err"; then
    echo "ok   $name"
  else
    echo "FAIL $name (exit status $status)"
    head -80 "$tmp/err"
    failures=$((failures + 1))
  fi
}

cp "$root/examples/eil51.tsp" "$tmp/cities.tsp"
for threads in 2 4; do
  export OMP_NUM_THREADS=$threads
  check "unit tests, $threads threads" "" "$build/tests/zentrava_tests" --gtest_brief=1
  check "zentrava p2 p, $threads threads" "40\n64\n5\n0.7\n0.05\n" "$build/zentrava" p2 p
  check "zentrava p10 p, $threads threads" "10\n32\n4\n0.9\n0.1\n" "$build/zentrava" p10 p
  check "zentrava tsp p, $threads threads" "cities.tsp\n40\n5\n0.7\n0.05\n" "$build/zentrava" tsp p
  check "zentrava pmx p, $threads threads" "cities.tsp\n40\n5\n0.7\n0.05\n" "$build/zentrava" pmx p
  check "zentrava tsp p -ss tour:3, $threads threads" "cities.tsp\n40\n5\n0.7\n0.05\n" \
    "$build/zentrava" tsp p -ss tour:3
  check "zentrava p2 p -ss rank, $threads threads" "40\n64\n5\n0.7\n0.05\n" "$build/zentrava" p2 p -ss rank
  # More threads than pairs: the surplus threads breed nothing.
  check "zentrava pmx p, 2 pairs, $threads threads" "cities.tsp\n4\n3\n0.7\n0.05\n" \
    "$build/zentrava" pmx p
  check "dicebench, $threads threads" "" "$build/dicebench" 2000 2
done

echo "tsan: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
