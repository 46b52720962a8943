#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's private prefix.
# The prefix lives in the build folder (TOOLKEEP_WINE_PREFIX or build/wineprefix),
# is created once and gets the CJK font links. Without a DISPLAY a private
# Xvfb is started for the command and stopped afterwards.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${TOOLKEEP_WINE_PREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
# Wine takes its code pages from the locale: Chinese (936) by default, as a
# Chinese admin's Windows has them; TOOLKEEP_WINE_LANG picks another, e.g.
# TOOLKEEP_WINE_LANG=en_US.UTF-8 for a Western one (1252/437). A missing
# locale is generated first (as root), or Wine falls back to C.
wine_lang=${TOOLKEEP_WINE_LANG:-zh_CN.UTF-8}
if ! locale -a 2>/dev/null | grep -qix "$(echo "$wine_lang" | sed 's/UTF-8/utf8/I')"; then
  localedef -i "${wine_lang%%.*}" -f UTF-8 "$wine_lang" >/dev/null 2>&1 || true
fi
export LANG=$wine_lang LC_ALL=$wine_lang
# No Mono or Gecko download prompts while the prefix is made. Programs then run
# with mscoree enabled: Wine's loader resolves a .NET program's IL-only DLLs
# through it (the PowerShell test fixture), and nothing else loads it.
boot_overrides=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mshtml="}
wine_bin=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

xvfb_pid=
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    if kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=:$n; break; fi
    xvfb_pid=
  done
  trap stop_xvfb EXIT
fi

if [ ! -f "$WINEPREFIX/.toolkeep-ready-2" ]; then
  mkdir -p "$WINEPREFIX"
  WINEDLLOVERRIDES=$boot_overrides "$wine_bin" wineboot --init >/dev/null 2>&1
  # Chinese text (and symbols) fall back to these fonts from the usual UI faces.
  key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  for face in "Segoe UI" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Consolas" "Microsoft Sans Serif" \
              "Lucida Console" "Courier New" "WenQuanYi Micro Hei"; do
    "$wine_bin" reg add "$key" /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc\0Symbola_hint.ttf' /f >/dev/null 2>&1
  done
  fontdir="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fontdir"
  for f in /usr/share/fonts/truetype/wqy/wqy-microhei.ttc /usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf; do
    [ -f "$f" ] && ln -sf "$f" "$fontdir/"
  done
  wineserver -w 2>/dev/null
  touch "$WINEPREFIX/.toolkeep-ready-2"
fi

"$wine_bin" "$@"
rc=$?
stop_xvfb
trap - EXIT
exit $rc
