#!/usr/bin/env bash
# Runs every benchmark built under build/bench and prints its figures, then the black-box
# launch benchmark (RUNS rounds, 5 by default; BEFORE=/path/to/corkwallery measures that build
# beside this one).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
for bench in "$root"/build/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" --benchmark_counters_tabular=true --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true 2>/dev/null
done
echo "== restore"
"$root/bench/restore-bench.sh"
echo "== event loop (milliseconds)"
"$root/build/bench/event_loop" "$root/build/bench/restore-photos" \
  "$root/build/bench/large-photos/camera-200mp.jpg" 2>&1 >/dev/null
