#!/usr/bin/env bash
# Builds and runs the message-loop benchmark in the win64 build under Wine and prints
# its figures: tasks per second posted across threads and delivered, and the latency of
# an immediate task posted to an idle loop. Figures vary with the machine and its load.
# Usage: tools/bench/message_loop.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
"$here/tools/build.sh" win64 >/dev/null
cmake --build "$here/build/win64" --target message_loop_bench >/dev/null
"$here/tools/wine/wine-run" --prefix "$here/build/win64/wineprefix" \
  "$here/build/win64/bin/message_loop_bench.exe"
