#!/usr/bin/env bash
# Builds every libFuzzer target with clang (ASan + UBSan) and runs each for
# the given number of seconds (default 60). Prints "fuzz NAME: ok" or the finding.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
only=${2:-}
CXX=clang++ CC=clang cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOOLKEEP_FUZZ=ON -DTOOLKEEP_TESTS=OFF >/dev/null || exit 1
status=0
for src in "$root"/fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  [ -n "$only" ] && [ "$only" != "$name" ] && continue
  if ! cmake --build "$root/build/fuzz" -j "$(nproc)" --target "$name" >/dev/null 2>"$root/build/fuzz/$name.build.log"; then
    echo "fuzz $name: FAILED to build"; cat "$root/build/fuzz/$name.build.log" | tail -20; status=1; continue
  fi
  corpus="$root/build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds="$root/fuzz/seeds/$name"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  if "$root/build/fuzz/$name" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
       -artifact_prefix="$root/build/fuzz/$name-" "${args[@]}" >"$root/build/fuzz/$name.log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$root/build/fuzz/$name.log" | tail -1)
    echo "fuzz $name: ok (${seconds}s, ${runs:-no run count})"
  else
    echo "fuzz $name: FINDING"; tail -30 "$root/build/fuzz/$name.log"; status=1
  fi
done
exit $status
