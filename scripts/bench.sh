#!/usr/bin/env bash
# Runs every benchmark built under build/bench and prints its figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
for bench in "$root"/build/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" --benchmark_counters_tabular=true
done
