#!/usr/bin/env bash
# The main job: sets the machine up, builds the installer (the shipped 32-bit one and the
# 64-bit one that runs here), then
#  1. runs QivMoltrixSetup.exe under Wine and shows its log: it takes the single-instance
#     mutex, opens its embedded package, starts the UI framework and, as long as the
#     setup window is not part of it, ends on its own;
#  2. runs one whole installation headless: the install sequence downloads the stand-in
#     setup program from the local test server in eight ranges, runs it silently, starts
#     the stand-in product once and reports every event to the server, which checks the
#     report signatures.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
"$here/tools/build.sh" win64 win32

prefix="$here/build/win64/wineprefix"
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
  echo "demo: its log, $log:"
  cat "$log"
else
  echo "demo: no log file was written"
fi

echo "demo: a whole installation, headless, against the local test server:"
cd "$here/build/win64/bin"
python3 "$here/tools/testserver/with_server.py" -- \
  "$here/tools/wine/wine-run" --prefix "$prefix" install_flow_test.exe \
  --gtest_filter='InstallFlowTest.AWholeInstallationRunsHeadless'
echo "demo: shipped 32-bit installer: $here/build/win32/bin/QivMoltrixSetup.exe"
