#!/usr/bin/env bash
# The main job: sets the machine up, builds the installer and runs the 64-bit build
# under Wine, then reports what it did (exit code and log file).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
"$here/tools/build.sh" win64 win32

prefix="$here/build/demo/wineprefix"
"$here/tools/wine/prefix-init" "$prefix"
source "$here/tools/xvfb.sh"
xvfb_start
trap '"$here/tools/wine/prefix-init" --stop "$prefix"; xvfb_stop' EXIT

set +e
"$here/tools/wine/wine-run" --prefix "$prefix" "$here/build/win64/bin/QivMoltrixSetup.exe"
rc=$?
set -e
echo "demo: QivMoltrixSetup.exe exited with code $rc"
log=$(find "$prefix/drive_c/users" -name 'QivMoltrixSetup_log.txt' 2>/dev/null | head -n 1)
if [ -n "$log" ]; then
  echo "demo: log file $log:"
  cat "$log"
else
  echo "demo: no log file was written"
fi
echo "demo: shipped 32-bit installer: $here/build/win32/bin/QivMoltrixSetup.exe"
