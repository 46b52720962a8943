#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and prints their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DTOOLKEEP_BENCH=ON -DTOOLKEEP_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" -j "$(nproc)" --target toolkeep_bench >/dev/null
"$root/build/bench/toolkeep_bench" --benchmark_counters_tabular=true "$@"
