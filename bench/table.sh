#!/bin/bash
# The engine's figures for two builds side by side: milliseconds per
# sequential generation, the 2-thread speed-up of whole runs, the time to
# build two populations of 10^6 x 1023 genes, and peak memory. Each time is
# the fastest of REPEAT runs (default 3), which on a shared machine is the
# one least disturbed by other processes.
# Usage: bash bench/table.sh TODAY_ZENTRAVA NEW_ZENTRAVA
set -eu

OLD=$(realpath "${1:?usage: bash bench/table.sh TODAY_ZENTRAVA NEW_ZENTRAVA}")
NEW=$(realpath "${2:?usage: bash bench/table.sh TODAY_ZENTRAVA NEW_ZENTRAVA}")
cd "$(dirname "$0")/.."
REPEAT=${REPEAT:-3}
G=300
CITIES=examples/random200.tsp
TIMES=$(mktemp)
trap 'rm -f "$TIMES"' EXIT

# fastest BINARY THREADS MODE OBJECTIVE INPUT: "seconds peak-KiB" of the
# fastest of REPEAT runs (peak memory of that run).
fastest() {
  local best= rss=
  for _ in $(seq "$REPEAT"); do
    OMP_NUM_THREADS=$2 /usr/bin/time -f '%e %M' -o "$TIMES" "$1" "$4" "$3" <<<"$5" >/dev/null ||
      { echo "zentrava $4 $3 failed" >&2; exit 1; }
    read -r seconds kib <"$TIMES"
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds
      rss=$kib
    fi
  done
  echo "$best $rss"
}

row() { printf '%-44s %10s %10s %10s  %s\n' "$@"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "Fastest of $REPEAT runs each; $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)"
row figure today new target result
for run in "p2|1000 1000 \$G 0.9 0.001|1.5" "tsp|$CITIES 1000 \$G 0.9 0.01|0.8" \
  "pmx|$CITIES 1000 \$G 0.9 0.01|0.8"; do
  IFS='|' read -r objective typed target <<<"$run"
  declare -A per speedup peak
  for build in OLD NEW; do
    read -r whole kib < <(fastest "${!build}" 1 s "$objective" "${typed//\$G/$G}")
    read -r built _ < <(fastest "${!build}" 1 s "$objective" "${typed//\$G/0}")
    read -r parallel _ < <(fastest "${!build}" 2 p "$objective" "${typed//\$G/$G}")
    per[$build]=$(awk -v w="$whole" -v b="$built" -v g=$G 'BEGIN { printf "%.2f", 1000 * (w - b) / g }')
    speedup[$build]=$(ratio "$whole" "$parallel")
    peak[$build]=$kib
  done
  met=$(awk -v v="${per[NEW]}" -v t="$target" 'BEGIN { print (v <= t ? "met" : "missed") }')
  row "$objective ms per sequential generation" "${per[OLD]}" "${per[NEW]}" "<= $target" "$met"
  met=$(awk -v v="${speedup[NEW]}" 'BEGIN { print (v >= 1.9 ? "met" : "missed") }')
  row "$objective 2-thread speed-up, $G generations" "${speedup[OLD]}" "${speedup[NEW]}" ">= 1.9" "$met"
  growth=$(awk -v a="${peak[OLD]}" -v b="${peak[NEW]}" 'BEGIN { printf "%+.1f%%", 100 * (b - a) / a }')
  met=$(awk -v a="${peak[OLD]}" -v b="${peak[NEW]}" 'BEGIN { print (b <= 1.1 * a ? "met" : "missed") }')
  row "$objective peak memory KiB (sequential)" "${peak[OLD]}" "${peak[NEW]}" "+10% at most" "$growth, $met"
done

# Building alone: a run of 0 generations builds both populations and reports.
for build in OLD NEW; do
  read -r seconds kib < <(REPEAT=1 fastest "${!build}" 1 s p2 "1000000 1023 0 0.9 0.001")
  declare "built_$build=$seconds" "builtKib_$build=$kib"
done
met=$(awk -v v="$built_NEW" 'BEGIN { print (v < 3 ? "met" : "missed") }')
row "p2 building 2 x 10^6 x 1023 genes, s" "$built_OLD" "$built_NEW" "< 3" "$met"
row "  its peak memory KiB" "$builtKib_OLD" "$builtKib_NEW" "+10% at most" \
  "$(awk -v a="$builtKib_OLD" -v b="$builtKib_NEW" 'BEGIN { printf "%+.1f%%", 100 * (b - a) / a }')"
