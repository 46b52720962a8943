#!/usr/bin/env bash
# Puts a real PowerShell engine where the Wine prefix has only a stub
# powershell.exe: tests/powershell-host is published self-contained for win-x64
# (once, cached under build/powershell-host) and copied over the stub in
# system32\WindowsPowerShell\v1.0. Test-only: nothing here is shipped.
#
#   powershell-fixture.sh install   publish when missing or changed, install, start it once
#
# Exit codes: 0 installed and starts under Wine; 2 unavailable here (no .NET
# SDK, NuGet unreachable): the PowerShell checks are skipped; 1 a real failure
# (publish error, or the engine does not start under Wine), printed with its error.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source_dir="$root/tests/powershell-host"
cache="$root/build/powershell-host"
prefix=${TOOLKEEP_WINE_PREFIX:-$root/build/wineprefix}
target="$prefix/drive_c/windows/system32/WindowsPowerShell/v1.0"
# The first start under Wine JITs the engine and reads 280 files: allow it.
start_timeout_s=120

[ "${1:-}" = install ] || { echo "usage: $0 install" >&2; exit 64; }

if ! command -v dotnet >/dev/null; then
  echo "PowerShell fixture: the .NET SDK (dotnet) is not installed: the PowerShell checks are skipped"
  exit 2
fi

# What the published host depends on: its sources and the SDK that builds it.
key=$( (cat "$source_dir"/PowerShellHost.csproj "$source_dir"/Program.cs; dotnet --version) | sha256sum | cut -c1-16)

if [ "$(cat "$cache/publish.key" 2>/dev/null)" != "$key" ]; then
  echo "PowerShell fixture: publishing tests/powershell-host (win-x64, self-contained)"
  rm -rf "$cache"
  mkdir -p "$cache/src"
  # Built from a copy so that obj/ and bin/ stay out of the source tree.
  cp "$source_dir"/PowerShellHost.csproj "$source_dir"/Program.cs "$cache/src/"
  started=$(date +%s)
  if ! DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 dotnet publish "$cache/src/PowerShellHost.csproj" -c Release -o "$cache/publish" \
      >"$cache/publish.log" 2>&1; then
    if grep -q 'error NU1301' "$cache/publish.log"; then
      echo "PowerShell fixture: NuGet is unreachable, the engine cannot be restored: the PowerShell checks are skipped"
      grep -m3 'error NU1301' "$cache/publish.log"
      exit 2
    fi
    echo "PowerShell fixture: the publish failed:"
    grep -E 'error' "$cache/publish.log" | sort -u | head -20
    exit 1
  fi
  # PowerShell looks for its own modules in $PSHOME\Modules, the exe's folder.
  cp -a "$cache/publish/runtimes/win/lib/net10.0/Modules" "$cache/publish/Modules"
  echo "$key" >"$cache/publish.key"
  echo "PowerShell fixture: published in $(( $(date +%s) - started ))s, $(du -sh "$cache/publish" | cut -f1)"
fi

# The prefix is made first: making it puts the stub in place.
[ -f "$prefix/system.reg" ] || "$root/scripts/wine.sh" cmd /c exit >/dev/null 2>&1
if [ "$(cat "$target/.fixture-key" 2>/dev/null)" != "$key" ]; then
  mkdir -p "$target"
  cp -a "$cache/publish/." "$target/"
  echo "$key" >"$target/.fixture-key"
fi

# ConsoleHost wants a console, as under the product (CREATE_NO_WINDOW still
# gives one); script(1) provides a terminal for this one start.
command=(-NoLogo -NoProfile -NonInteractive -Command "'engine ' + \$PSVersionTable.PSVersion")
started=$(date +%s%N)
# A crash reports at once instead of waiting in Wine's debugger.
out=$(WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mshtml=};winedbg.exe=d" timeout "$start_timeout_s" script -qec \
  "$(printf '%q ' "$root/scripts/wine.sh" 'C:\windows\system32\WindowsPowerShell\v1.0\powershell.exe' "${command[@]}")" \
  /dev/null 2>&1 | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g')
version=$(grep -o -m1 'engine [0-9][0-9.]*' <<<"$out")
if [ -z "$version" ]; then
  echo "PowerShell fixture: the engine does not start under Wine:"
  printf '%s\n' "$out" | grep -v 'FS volume label' | head -30
  exit 1
fi
echo "PowerShell fixture: $version starts under Wine in $(( ($(date +%s%N) - started) / 1000000 )) ms"
