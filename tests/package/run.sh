#!/usr/bin/env bash
# The release package: scripts/package.sh run twice (the exe linked afresh in
# between, a second apart, another time zone and umask, so link time, file
# times and modes differ) must give the same zip bytes; SHA256SUMS must verify;
# the zip must hold exactly toolkeep.exe, README.txt and LICENSE, its exe the
# build's own. One "ok"/"FAIL" line per check.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() {  # description, command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok $what"; else echo "FAIL $what"; fi
}
bash "$root/scripts/package.sh" "$work/one" >"$work/one.log" 2>&1 || { cat "$work/one.log"; echo "FAIL package.sh runs"; exit 1; }
sleep 1.1
rm -f "$root/build/win/toolkeep.exe"
(umask 077; TZ=Pacific/Kiritimati bash "$root/scripts/package.sh" "$work/two" >"$work/two.log" 2>&1) ||
  { cat "$work/two.log"; echo "FAIL package.sh runs again"; exit 1; }
zip=$(cd "$work/one" && ls wrenly-*-win64.zip)
check "two runs give the same zip ($zip)" cmp "$work/one/$zip" "$work/two/$zip"
check "SHA256SUMS verifies the zip" bash -c "cd '$work/one' && sha256sum --strict -c SHA256SUMS"
check "the zip holds toolkeep.exe, README.txt and LICENSE in that order" \
  python3 -c "import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).namelist() != ['toolkeep.exe', 'README.txt', 'LICENSE'])" \
  "$work/one/$zip"
check "the zip's toolkeep.exe is the build's" \
  python3 -c "import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).read('toolkeep.exe') != open(sys.argv[2], 'rb').read())" \
  "$work/one/$zip" "$root/build/win/toolkeep.exe"
