#!/usr/bin/env bash
# Builds the Release toolkeep.exe and writes dist/wrenly-<version>-win64.zip
# (toolkeep.exe, README.txt, LICENSE) with SHA256SUMS beside it.
# Usage: scripts/package.sh [OUTPUT_FOLDER]   (default: dist)
# The zip is reproducible: every entry carries the time of the last commit, a
# fixed order and fixed attributes, so two runs on one commit give the same bytes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/dist}
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" win toolkeep
version=$(sed -n 's/^#define TOOLKEEP_VERSION_TEXT "\(.*\)"$/\1/p' "$root/resources/version.h")
[ -n "$version" ] || { echo "no TOOLKEEP_VERSION_TEXT in resources/version.h" >&2; exit 1; }
# SOURCE_DATE_EPOCH is the usual way to pin the time from outside; else the commit's time.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
zip_name="wrenly-$version-win64.zip"
mkdir -p "$out"
python3 - "$root" "$out/$zip_name" "$version" "$epoch" <<'PY'
import sys, time, zipfile
root, target, version, epoch = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
# Zip times are local wall-clock fields without a zone: write UTC, no earlier than 1980.
stamp = max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))

def text(path, version=None):
    body = open(path, encoding="utf-8").read()
    if version:
        body = body.replace("@VERSION@", version)
    # Notepad on Windows 7 shows bare line feeds as one long line.
    return body.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")

entries = [
    ("toolkeep.exe", open(root + "/build/win/toolkeep.exe", "rb").read()),
    ("README.txt", text(root + "/docs/README-windows.txt", version)),
    ("LICENSE", text(root + "/LICENSE")),
]
with zipfile.ZipFile(target + ".tmp", "w") as archive:
    for name, data in entries:
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0   # MS-DOS attributes, the same from any host
        info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
        archive.writestr(info, data, compresslevel=9)
PY
mv "$out/$zip_name.tmp" "$out/$zip_name"
(cd "$out" && sha256sum "$zip_name" >SHA256SUMS)
echo "Wrote $out/$zip_name and $out/SHA256SUMS"
