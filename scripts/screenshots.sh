#!/usr/bin/env bash
# Runs the screenshot tour (tools/screenshot_tour.cpp) on a private Xvfb and saves a picture of
# the window for each view to build/shots/<view>.png; with --docs it also
# writes the README's four pictures to docs/ (cut to 256 colours when one would
# not stay under 200 KB).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" win toolkeep_screenshot_tour
shots=$root/build/shots
rm -rf "$shots"
mkdir -p "$shots"
# The tour holds each view for 2.5 s; a view that takes longer than this to come up means it hangs.
view_limit_seconds=120
docs_limit_bytes=200000

source "$root/scripts/private-display.sh"
start_private_display "$root/build/wineprefix"

marker=$shots/view.txt
: >"$marker"
TOOLKEEP_SCREENSHOT_TOUR="Z:${marker//\//\\}" "$root/scripts/wine.sh" "$root/build/win/toolkeep_screenshot_tour.exe" \
  >"$shots/tour.log" 2>&1 &
tour=$!
wine_started=1
taken=
waited=0
while :; do
  view=$(cat "$marker" 2>/dev/null || true)
  if [ "$view" = done ]; then break; fi
  if [ -n "$view" ] && [ "$view" != "$taken" ]; then
    window=$(xdotool search --onlyvisible --name '^Wrenly' 2>/dev/null | head -1)
    if [ -n "$window" ]; then import -window "$window" "$shots/$view.png"; else import -window root "$shots/$view.png"; fi
    echo "$view"
    taken=$view
    waited=0
  fi
  if ! kill -0 "$tour" 2>/dev/null; then echo "The tour ended early:" >&2; tail -20 "$shots/tour.log" >&2; exit 1; fi
  [ "$waited" -lt $((view_limit_seconds * 5)) ] || { echo "No new view for ${view_limit_seconds}s" >&2; exit 1; }
  sleep 0.2
  waited=$((waited + 1))
done
wait "$tour" || true

if [ "${1:-}" = --docs ]; then
  mkdir -p "$root/docs"
  for pair in zh-light-assistant:window-zh-light en-dark-assistant:window-en-dark \
              en-light-playbook:playbook en-dark-cmd:terminal; do
    from=$shots/${pair%%:*}.png to=$root/docs/${pair#*:}.png
    convert "$from" -strip "$to"
    [ "$(stat -c %s "$to")" -lt "$docs_limit_bytes" ] || convert "$from" -strip -colors 256 "PNG8:$to"
    size=$(stat -c %s "$to")
    echo "docs/${pair#*:}.png: $size bytes"
    [ "$size" -lt "$docs_limit_bytes" ] || { echo "docs/${pair#*:}.png is over $docs_limit_bytes bytes" >&2; exit 1; }
  done
fi
