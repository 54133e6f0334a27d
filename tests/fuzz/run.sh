#!/usr/bin/env bash
# Runs both fuzz targets for a fixed number of inputs each, bounded in time,
# from their seed corpora. Inputs that reach new code are kept under
# BUILD_DIR/corpus-new (not in the repository); a crash, a sanitizer report or
# an input that takes over a second is written to BUILD_DIR/artifacts and
# fails the run. Such an input belongs in tests/fuzz/corpus once its bug is
# fixed, next to a regression test.
#
# Usage: tests/fuzz/run.sh BUILD_DIR [RUNS] [MAX_SECONDS]
set -euo pipefail

build=$(realpath "$1")
runs=${2:-200000}
seconds=${3:-120}
root=$(realpath "$(dirname "$0")/../..")
corpus=$root/tests/fuzz/corpus

mkdir -p "$build/artifacts"
status=0
for target in CityFileFuzz:cities ParameterFuzz:parameters; do
  name=${target%%:*}
  seeds=$corpus/${target##*:}
  fresh=$build/corpus-new/${target##*:}
  mkdir -p "$fresh"
  echo "== $name: $runs runs, at most $seconds s, seeds from ${seeds#"$root"/}"
  if ! "$build/tests/fuzz/$name" -runs="$runs" -max_total_time="$seconds" -timeout=1 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
       "$fresh" "$seeds" > "$build/$name.log" 2>&1; then
    status=1
    echo "$name FAILED; the report:"
    grep -v '^#' "$build/$name.log" | tail -60
  fi
  # The figures: inputs run, coverage (edges) and features at the end.
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)' "$build/$name.log" | tail -2 || true
  grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$build/$name.log" || true
done
exit "$status"
