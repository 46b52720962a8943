#!/usr/bin/env bash
# Draws the application icon (a console prompt on a blue tile) at 16, 32 and
# 48 pixels and packs the three images into resources/toolkeep.ico.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
  s=$(( size ))
  r=$(( s / 6 ))
  w=$(( s > 16 ? s / 12 : 1 ))
  convert -size ${s}x${s} xc:none \
    -fill '#2468DC' -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $r,$r" \
    -stroke white -strokewidth $(( w + 1 )) -fill none \
    -draw "polyline $((s*22/100)),$((s*28/100)) $((s*48/100)),$((s*50/100)) $((s*22/100)),$((s*72/100))" \
    -draw "line $((s*54/100)),$((s*74/100)) $((s*80/100)),$((s*74/100))" \
    "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$here/resources/toolkeep.ico"
