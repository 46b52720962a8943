#!/usr/bin/env bash
# Builds toolkeep.exe and opens it under Wine (a private Xvfb is started when
# there is no display; then a screenshot is saved to build/shot.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" win
if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/wine.sh" "$root/build/win/toolkeep.exe" "$@"
fi
echo "No display: running under a private Xvfb for 15 seconds and saving build/shot.png"
Xvfb :89 -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=:89
sleep 1
"$root/scripts/wine.sh" "$root/build/win/toolkeep.exe" "$@" &
sleep 15
import -window root "$root/build/shot.png" && echo "Saved $root/build/shot.png"
WINEPREFIX="$root/build/wineprefix" wineserver -k >/dev/null 2>&1 || true
