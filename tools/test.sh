#!/usr/bin/env bash
# The whole test run from a fresh Debian machine: installs what is missing, builds the
# three builds, then runs the win64 tests under Wine (with a virtual display) and the
# host tests under sanitizers. Exits non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
"$here/tools/build.sh" win64 win32 host

# The shipped executable must be a 32-bit GUI program that needs no MinGW DLL.
"$here/tools/check-exe.sh" "$here/build/win32/bin/QivMoltrixSetup.exe" PE32
"$here/tools/check-exe.sh" "$here/build/win64/bin/QivMoltrixSetup.exe" PE32+

prefix="$here/build/win64/wineprefix"
"$here/tools/wine/prefix-init" "$prefix"
# shellcheck source=tools/xvfb.sh
source "$here/tools/xvfb.sh"
xvfb_start
cleanup() {
  "$here/tools/wine/prefix-init" --stop "$prefix"
  xvfb_stop
}
trap cleanup EXIT

status=0
ctest --test-dir "$here/build/win64" --output-on-failure -j2 || status=1
ctest --test-dir "$here/build/host" --output-on-failure -j2 || status=1
exit $status
