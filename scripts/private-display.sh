# Sourced by scripts that show Wine programs without a display of their own.
# start_private_display PREFIX: starts Xvfb on the first free display from :89
# and exports DISPLAY; on exit it stops that Xvfb, and the Wine server of PREFIX
# once wine_started is set.
wine_started=
start_private_display() {
  local prefix=$1 n
  private_display=
  for n in $(seq 89 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    private_display=:$n
    break
  done
  [ -n "$private_display" ] || { echo "No free X display number between :89 and :140" >&2; exit 1; }
  Xvfb "$private_display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  private_xvfb=$!
  private_prefix=$prefix
  trap stop_private_display EXIT
  export DISPLAY=$private_display
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${private_display#:}" ] && break; sleep 0.1; done
}
stop_private_display() {
  [ -n "$wine_started" ] && WINEPREFIX="$private_prefix" wineserver -k >/dev/null 2>&1
  kill "$private_xvfb" 2>/dev/null || true
}
