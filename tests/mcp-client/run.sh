#!/usr/bin/env bash
# Compatibility check with the official MCP clients: the TypeScript SDK 1.x, the
# v2 client in its legacy (default), auto and pinned-2026-07-28 negotiation, the
# Inspector CLI in its three protocol eras, and a raw pipe for notifications.
# Usage: tests/mcp-client/run.sh [PATH/toolkeep.exe | PATH/toolkeep]
# A .exe runs under Wine through scripts/wine.sh. The clients are pinned in
# package-lock.json; scripts/deps.sh installs them (npm ci), this script only
# when they are missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=${1:-$root/build/win/toolkeep.exe}
[ -f "$exe" ] || { echo "no server program at $exe" >&2; exit 2; }
if [ ! -d "$here/node_modules/@modelcontextprotocol/client" ] || [ ! -d "$here/node_modules/@modelcontextprotocol/inspector" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error) || exit 1
fi
case "$exe" in
  *.exe) server=("$root/scripts/wine.sh" "$exe" --mcp-stdio) ;;
  *) server=("$exe" --mcp-stdio) ;;
esac
status=0
for mode in sdk v2-legacy v2-auto v2-pin inspector-legacy inspector-auto inspector-modern raw; do
  out=$(node "$here/client.mjs" "$mode" "${server[@]}" 2>&1)
  rc=$?
  printf '%s\n' "$out" | grep -v ' passed, .* failed$'
  [ "$rc" -eq 0 ] || status=1
done
exit $status
