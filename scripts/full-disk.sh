#!/usr/bin/env bash
# Runs the full-disk test under Wine: a small tmpfs is mounted as the user's
# folder (%APPDATA%\Toolkeep of the test prefix) for the length of the test and
# unmounted afterwards, which brings back whatever the folder held.
# Prints "ok ..." / "FAIL ..." lines; without the right to mount it says so and skips.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/wine.sh" cmd /c exit >/dev/null 2>&1   # the prefix exists from here on
roaming=$(ls -d "$root"/build/wineprefix/drive_c/users/*/AppData/Roaming 2>/dev/null | grep -v /Public/ | head -1)
if [ -z "$roaming" ]; then echo "FAIL full disk: no AppData folder in the prefix"; exit 1; fi
folder="$roaming/Toolkeep"
mkdir -p "$folder"
if ! mount -t tmpfs -o size=256k tmpfs "$folder" 2>/dev/null; then
  echo "skip full disk: a tmpfs cannot be mounted here"
  exit 0
fi
trap 'umount "$folder"' EXIT
log=$(mktemp)
timeout 300 "$root/scripts/wine.sh" "$root/build/win/toolkeep_e2e.exe" --gtest_color=no \
  --gtest_also_run_disabled_tests --gtest_filter='FullDisk.*' >"$log" 2>&1
rc=$?
if [ $rc -eq 0 ] && grep -q '^\[  PASSED  \] 1 test' "$log"; then
  echo "ok full disk: nothing earlier lost, every refused save told"
else
  grep -E -A6 ': Failure$' "$log" | head -40
  echo "FAIL full disk (exit $rc)"
fi
rm -f "$log"
