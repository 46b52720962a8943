#!/usr/bin/env bash
# Prints the picture of the source tree the closing notes compare: tracked C++
# files, counted lines (not blank, not only a comment), the share of them under
# tests/, the field counts of the two largest records, the number of ui/ files
# that include the shared main-window header, and the size of the release exe
# when it has been built (scripts/build.sh win).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
counted() { xargs -r cat | grep -v '^[[:space:]]*$' | grep -vc '^[[:space:]]*//' || true; }
files=$(git ls-files '*.cpp' '*.h' | wc -l)
all=$(git ls-files '*.cpp' '*.h' | counted)
tests=$(git ls-files 'tests/*.cpp' 'tests/*.h' | counted)
echo "files: $files"
echo "counted lines: $all"
echo "test lines: $tests"
awk -v t="$tests" -v a="$all" 'BEGIN { printf "test share: %.2f%%\n", 100 * t / a }'
# A field is a line of the record's own body (depth 1) that ends in ';' and is not a function.
fields() {  # file, record name
  awk -v name="$2" '
    $0 ~ "^struct " name " \\{" { inside = 1; depth = 0 }
    inside {
      line = $0; sub(/\/\/.*/, "", line)
      if (depth == 1 && line ~ /;[[:space:]]*$/ && line !~ /\)[[:space:]]*(const)?[[:space:]]*;/) n++
      depth += gsub(/\{/, "{", line) - gsub(/\}/, "}", line)
      if (depth == 0 && line ~ /\}/) { inside = 0 }
    }
    END { print n + 0 }' "$1"
}
for pair in terminal/terminal.h:Terminal ui/main_state.h:MainState; do
  file=${pair%%:*} name=${pair#*:}
  [ -f "$file" ] && echo "fields of $name: $(fields "$file" "$name")"
done
echo "ui files including main_state.h: $(grep -l '#include "ui/main_state.h"' ui/*.cpp ui/*.h 2>/dev/null | wc -l)"
exe=$root/build/win/toolkeep.exe
if [ -f "$exe" ]; then
  bytes=$(stat -c %s "$exe")
  awk -v b="$bytes" 'BEGIN { printf "toolkeep.exe: %d bytes (%.2f MB)\n", b, b / 1048576 }'
fi
