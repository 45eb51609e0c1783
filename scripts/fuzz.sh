#!/usr/bin/env bash
# Fuzzes the state-file reader with libFuzzer for FUZZ_SECONDS (default 60). New inputs collect in
# build-fuzz/corpus (seeded from fuzz/corpus); an input that breaks the reader is saved under
# fuzz/crashes/, which `make test` replays, so commit it with its fix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
CXX=clang++ cmake -S "$root/fuzz" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-fuzz"
mkdir -p "$root/build-fuzz/corpus"
"$root/build-fuzz/state_file_fuzzer" "$root/build-fuzz/corpus" "$root/fuzz/corpus" \
  -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$root/fuzz/crashes/"
