#!/usr/bin/env bash
# Runs every test: native unit tests (ASan + UBSan), the headless self-tests,
# the Windows unit tests, self-tests and end-to-end tests under Wine, and the
# fuzzers. Ends with one line "N passed, N failed[, N skipped]".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fuzz_seconds=${TOOLKEEP_FUZZ_SECONDS:-60}
passed=0 failed=0 skipped=0
log_dir="$root/build/test-logs"

add() { passed=$((passed + $1)); failed=$((failed + $2)); skipped=$((skipped + ${3:-0})); }
say() { printf '== %s\n' "$*"; }

# GoogleTest programs: counts come from gtest's own closing lines.
count_gtest() {  # name, log, exit code
  local p f s
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$2" | tail -1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$2" | tail -1)
  s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$2" | tail -1)
  p=${p:-0}; f=${f:-0}; s=${s:-0}
  if [ "$3" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; echo "$1 exited with $3"; tail -20 "$2"; fi
  if [ "$f" -gt 0 ]; then
    # the first lines of each failure message, so a CI log alone tells what broke
    grep -E -A6 ': Failure$' "$2" | head -60
    grep -E '^\[  FAILED  \] [A-Za-z]' "$2" | sort -u
  fi
  say "$1: $p passed, $f failed, $s skipped"
  add "$p" "$f" "$s"
}

# Self-test suites: one [PASS]/[FAIL] line per check.
count_suite() {  # name, log, exit code, [PowerShell checks count as unavailable]
  local p f s=0
  p=$(grep -c '\[PASS\]' "$2")
  f=$(grep -c '\[FAIL\]' "$2")
  if [ "${4:-}" = ps-unavailable ]; then
    s=$(sed -n '/^-- PowerShell --/,$p' "$2" | grep -c '\[FAIL\]')
    f=$((f - s))
    [ "$s" -gt 0 ] && echo "$1: PowerShell is unavailable under Wine (its powershell.exe is a stub): $s PowerShell checks failed and are counted as skipped"
  fi
  if [ $((p + f + s)) -eq 0 ]; then f=1; echo "$1 printed no check (exit $3)"; tail -5 "$2"; fi
  if [ "$f" -gt 0 ]; then
    if [ "${4:-}" = ps-unavailable ]; then sed '/^-- PowerShell --/,$d' "$2" | grep '\[FAIL\]'; else grep '\[FAIL\]' "$2"; fi
  fi
  say "$1: $p passed, $f failed, $s skipped"
  add "$p" "$f" "$s"
}

# Script checks: one "ok ..."/"FAIL ..." line per check.
count_checks() {  # name, log, exit code
  local p f
  p=$(grep -c '^ok ' "$2"); f=$(grep -c '^FAIL' "$2")
  if [ "$3" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; echo "$1 exited with $3"; tail -20 "$2"; fi
  grep '^FAIL' "$2"
  say "$1: $p passed, $f failed"
  add "$p" "$f"
}

bash scripts/deps.sh || { echo "0 passed, 1 failed"; exit 1; }
mkdir -p "$log_dir"
say "building"
if ! bash scripts/build.sh all >"$log_dir/build.log" 2>&1; then
  grep -E 'error|Error' "$log_dir/build.log" | head -40
  echo "0 passed, 1 failed"
  exit 1
fi
grep -E 'warning:' "$log_dir/build.log" | sort -u | head -20

say "native unit tests"
"$root/build/native/toolkeep_tests" --gtest_color=no >"$log_dir/native-unit.log" 2>&1
count_gtest "native unit tests" "$log_dir/native-unit.log" $?

say "native headless self-tests"
native_tmp=$(mktemp -d)
for suite in config semantic datapack mcp playbook; do
  TMPDIR="$native_tmp" APPDATA="$native_tmp/appdata" "$root/build/native/toolkeep" --selftest-$suite \
    >"$log_dir/native-selftest-$suite.log" 2>&1
  count_suite "native --selftest-$suite" "$log_dir/native-selftest-$suite.log" $?
done
rm -rf "$native_tmp"

# The example for pack authors must stay clean: the checker's exit code is its problem count.
say "example playbook file"
example_tmp=$(mktemp -d)
APPDATA="$example_tmp" "$root/build/native/toolkeep" --check-playbooks "$root/docs/example-playbook.json" \
  >"$log_dir/example-playbook.log" 2>&1
rc=$?
if [ $rc -eq 0 ]; then echo "ok docs/example-playbook.json passes --check-playbooks"; else echo "FAIL docs/example-playbook.json: $rc problems"; fi \
  >>"$log_dir/example-playbook.log"
count_checks "example playbook file" "$log_dir/example-playbook.log" 0
rm -rf "$example_tmp"

say "release package"
bash tests/package/run.sh >"$log_dir/package.log" 2>&1
count_checks "release package" "$log_dir/package.log" $?

# One display and one wine server for all the Windows runs.
xvfb_pid=
cleanup() {
  WINEPREFIX="$root/build/wineprefix" wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
    break
  done
fi
wine() { "$root/scripts/wine.sh" "$@"; }
wine cmd /c exit >/dev/null 2>&1   # creates the prefix on first use
WINEPREFIX="$root/build/wineprefix" wineserver -p >/dev/null 2>&1
# The self-tests expect no pack files in the per-user data folder.
appdata_dir=$(ls -d "$root"/build/wineprefix/drive_c/users/*/AppData/Roaming 2>/dev/null | head -1)
[ -n "$appdata_dir" ] && rm -f "$appdata_dir"/Toolkeep/{builtin-tools,external-tools,playbooks}.json

say "Windows unit tests (Wine)"
wine "$root/build/win/toolkeep_tests.exe" --gtest_color=no >"$log_dir/win-unit.log" 2>&1
count_gtest "Windows unit tests" "$log_dir/win-unit.log" $?

# PowerShell 7's engine stands in for Wine's stub powershell.exe (a test
# fixture, see tests/powershell-host): with it the PowerShell checks count as
# passed or failed; without the .NET SDK or NuGet they are skipped as before.
say "PowerShell engine for the tests"
ps_mode=ps-unavailable
bash scripts/powershell-fixture.sh install >"$log_dir/powershell-fixture.log" 2>&1
case $? in
  0) ps_mode=; export TOOLKEEP_REAL_POWERSHELL=1 ;;
  2) ;;
  *) add 0 1 ;;
esac
cat "$log_dir/powershell-fixture.log"

say "self-tests (Wine)"
temp_dir=$(ls -d "$root"/build/wineprefix/drive_c/users/*/Temp "$root"/build/wineprefix/drive_c/users/*/AppData/Local/Temp 2>/dev/null | grep -v /Public/ | head -1)
for suite in terminal config semantic datapack mcp playbook; do
  case $suite in terminal) logname=toolkeep-selftest.log ;; *) logname=toolkeep-$suite-selftest.log ;; esac
  rm -f "$temp_dir/$logname"
  timeout 300 "$root/scripts/wine.sh" "$root/build/win/toolkeep.exe" --selftest-$suite >/dev/null 2>&1
  rc=$?
  if [ -f "$temp_dir/$logname" ]; then cp "$temp_dir/$logname" "$log_dir/win-selftest-$suite.log"; else : >"$log_dir/win-selftest-$suite.log"; fi
  mode=; [ $suite = terminal ] && mode=$ps_mode
  count_suite "--selftest-$suite (Wine)" "$log_dir/win-selftest-$suite.log" $rc $mode
done

say "end-to-end tests (Wine)"
timeout 900 "$root/scripts/wine.sh" "$root/build/win/toolkeep_e2e.exe" --gtest_color=no >"$log_dir/win-e2e.log" 2>&1
count_gtest "end-to-end tests" "$log_dir/win-e2e.log" $?

# A full disk: a small tmpfs as the user's folder for one test.
say "full disk (Wine)"
bash scripts/full-disk.sh >"$log_dir/full-disk.log" 2>&1
count_checks "full disk" "$log_dir/full-disk.log" $?
grep '^skip' "$log_dir/full-disk.log" && add 0 0 1

# The session report the end-to-end tests left, opened in a real browser.
report="$log_dir/session-report.html"
if ! command -v chromium >/dev/null; then
  say "session report in a browser: Chromium is not installed, 3 checks skipped"
  add 0 0 3
elif [ ! -s "$report" ]; then
  say "session report in a browser: the end-to-end tests left no report"
  add 0 1
else
  bash "$root/tests/browser/report_in_browser.sh" "$report" "$log_dir" >"$log_dir/report-browser.log" 2>&1
  count_checks "session report in a browser" "$log_dir/report-browser.log" $?
fi

# The standard MCP TypeScript client (from the npm registry) talks to the real exe.
say "MCP client compatibility (Wine)"
if command -v node >/dev/null && command -v npm >/dev/null; then
  timeout 600 bash "$root/tests/mcp-client/run.sh" "$root/build/win/toolkeep.exe" >"$log_dir/mcp-client.log" 2>&1
  count_checks "MCP client" "$log_dir/mcp-client.log" $?
else
  echo "MCP client compatibility: the node or npm command is missing (scripts/deps.sh installs them): 1 check counted as skipped"
  add 0 0 1
fi

say "fuzzing (${fuzz_seconds}s per target)"
bash scripts/fuzz.sh "$fuzz_seconds" >"$log_dir/fuzz.log" 2>&1
cat "$log_dir/fuzz.log"
add "$(grep -c ': ok' "$log_dir/fuzz.log")" "$(grep -c -E ': (FINDING|FAILED)' "$log_dir/fuzz.log")"

if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
