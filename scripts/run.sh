#!/usr/bin/env bash
# Builds toolkeep.exe and opens it under Wine. With a display (a desktop
# session, or DISPLAY set to a VNC or Xvfb server) the window opens there.
# Without one, a private Xvfb is started, the program is shown on it until its
# window has appeared and painted, and a picture of the screen is saved to
# build/shot.png. TOOLKEEP_RUN_LIVE=1 keeps it open there to watch over VNC.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" win toolkeep
if [ -n "${DISPLAY:-}" ]; then
  exec "$root/scripts/wine.sh" "$root/build/win/toolkeep.exe" "$@"
fi

prefix=${TOOLKEEP_WINE_PREFIX:-$root/build/wineprefix}
# The first run also creates the Wine prefix, which takes a minute or more.
window_limit_seconds=180
# Once mapped, the window still needs a moment to lay out and paint its pages.
settle_seconds=3

source "$root/scripts/private-display.sh"
start_private_display "$prefix"
display=$private_display
screen_size=1600x1000  # as Xvfb is started
[ -f "$prefix/.toolkeep-ready-2" ] || echo "First run: creating the Wine prefix $prefix (a minute or two)"
echo "No display: showing the program on a private Xvfb ($display) and waiting for its window (up to ${window_limit_seconds}s)"
"$root/scripts/wine.sh" "$root/build/win/toolkeep.exe" "$@" &
program=$!
wine_started=1
waited=0
until xdotool search --onlyvisible --name '^Wrenly' >/dev/null 2>&1; do
  if ! kill -0 "$program" 2>/dev/null; then echo "The program ended before its window appeared" >&2; exit 1; fi
  if [ "$waited" -ge "$window_limit_seconds" ]; then echo "No window after ${window_limit_seconds}s" >&2; exit 1; fi
  sleep 1
  waited=$((waited + 1))
done
sleep "$settle_seconds"
import -window root "$root/build/shot.png"
echo "Saved $root/build/shot.png: the whole ${screen_size} screen of the private Xvfb $display, with the Wrenly"
echo "window as it opened (its window appeared after about ${waited}s). Open it with any image viewer."
echo
if [ "${TOOLKEEP_RUN_LIVE:-}" != 1 ]; then
  echo "To see and use the window live: run this from a desktop session (DISPLAY set), where the window opens"
  echo "on your desktop; or run 'TOOLKEEP_RUN_LIVE=1 bash scripts/run.sh', which keeps it open on the Xvfb"
  echo "for a VNC viewer."
  exit 0
fi
echo "The program stays open on $display until its window is closed or Ctrl+C. To see and use it:"
echo "  in another shell, install x11vnc once (apt-get install x11vnc), then run"
echo "    x11vnc -display $display -localhost -nopw -forever"
echo "  and point a VNC viewer at localhost:5900 (from another machine, first: ssh -L 5900:localhost:5900 this-host)."
wait "$program" || true
