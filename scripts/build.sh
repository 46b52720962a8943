#!/usr/bin/env bash
# Builds the native core, tests and headless program (build/native) and the
# Windows program with its test programs (build/win).
# Usage: scripts/build.sh [all|native|win] [TARGET...]   (targets: all of them by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
what=${1:-all}
shift $(($# > 0 ? 1 : 0))
targets=()
for t in "$@"; do targets+=(--target "$t"); done
if [ "$what" = all ] || [ "$what" = native ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOOLKEEP_SANITIZE=ON >/dev/null
  cmake --build "$root/build/native" -j "$jobs" "${targets[@]}"
fi
if [ "$what" = all ] || [ "$what" = win ]; then
  cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/win" -j "$jobs" "${targets[@]}"
fi
