#!/usr/bin/env bash
# Installs what building and testing need, once. Fast when all is present.
set -euo pipefail
packages=(cmake make g++ g++-mingw-w64-x86-64-posix wine64 wine xvfb xauth x11-utils fonts-wqy-microhei fonts-symbola
          imagemagick xdotool googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The MCP client check needs the node and npm commands. Asked by command, not by
# package: a Node.js from elsewhere already brings both, and there Debian's npm
# package would conflict with it.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The session report is checked in a real browser; a machine where it cannot
# be installed skips that check, so its absence is no reason to stop.
if ! command -v chromium >/dev/null; then
  echo "Installing: chromium"
  export DEBIAN_FRONTEND=noninteractive
  { apt-get update -qq && apt-get install -y -qq --no-install-recommends chromium >/dev/null; } ||
    echo "Chromium could not be installed: the browser check of the session report will be skipped"
fi
# The official MCP clients the client check drives, exactly as pinned in its lock file.
mcp_client="$(cd "$(dirname "$0")/.." && pwd)/tests/mcp-client"
if [ ! -d "$mcp_client/node_modules/@modelcontextprotocol/inspector" ] && command -v npm >/dev/null; then
  echo "Installing the MCP clients (npm ci in tests/mcp-client)"
  (cd "$mcp_client" && npm ci --no-audit --no-fund --loglevel=error) ||
    echo "The MCP clients could not be installed: the MCP client check will try again when it runs"
fi
