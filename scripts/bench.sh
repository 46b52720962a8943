#!/usr/bin/env bash
# Builds the benchmarks (optimised, no sanitizers) and prints their figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release -DTOOLKEEP_BENCH=ON -DTOOLKEEP_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" -j "$(nproc)" --target toolkeep_bench >/dev/null
"$root/build/bench/toolkeep_bench" --benchmark_counters_tabular=true "$@"

# The MCP server over its pipes, side by side with the same five tools served by
# the official TypeScript SDK: first reply, requests per second, peak memory.
cmake --build "$root/build/bench" -j "$(nproc)" --target toolkeep >/dev/null
python3 "$root/bench/mcp_stdio_bench.py" "$root/build/bench/toolkeep" || true

# The terminal under a flood of output, through Wine's cmd.exe: 5 MB each of
# plain, palette-coloured and densely coloured text, then ten times that of plain
# text with the first and last part timed (TERMINAL_BENCH_MB to change).
bash "$root/scripts/build.sh" win >/dev/null
awk -v b="$(stat -c %s "$root/build/win/toolkeep.exe")" 'BEGIN { printf "toolkeep.exe: %d bytes (%.2f MB)\n", b, b / 1048576 }'
TOOLKEEP_TERMINAL_BENCH="${TERMINAL_BENCH_MB:-5}" "$root/scripts/wine.sh" "$root/build/win/toolkeep_terminal_bench.exe" \
  --gtest_filter='TerminalThroughput.*' 2>/dev/null | grep '^\[bench\]' || true

# Start-up: a bare Win32 window and toolkeep.exe started alternately, 7 rounds,
# each timed to the moment its window is ready; the median difference is the figure.
"$root/scripts/wine.sh" "$root/build/win/toolkeep_startup_bench.exe" 2>/dev/null | grep -E '^(round|difference)' || true
