#!/usr/bin/env bash
# Compatibility check with the standard MCP TypeScript client.
# Usage: tests/mcp-client/run.sh [PATH/toolkeep.exe | PATH/toolkeep]
# A .exe runs under Wine through scripts/wine.sh. node_modules is installed on first use.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=${1:-$root/build/win/toolkeep.exe}
[ -f "$exe" ] || { echo "no server program at $exe" >&2; exit 2; }
if [ ! -d "$here/node_modules/@modelcontextprotocol/sdk" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
case "$exe" in
  *.exe) exec node "$here/client.mjs" "$root/scripts/wine.sh" "$exe" --mcp-stdio ;;
  *) exec node "$here/client.mjs" "$exe" --mcp-stdio ;;
esac
