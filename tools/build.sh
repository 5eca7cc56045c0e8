#!/usr/bin/env bash
# Configures and builds the three builds: build/win64 (tests and demo, run under Wine),
# build/win32 (the shipped installer) and build/host (OS-free code under sanitizers).
# Usage: tools/build.sh [win64|win32|host ...]   (default: all three)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export QM_DEPS_PREFIX=${QM_DEPS_PREFIX:-$HOME/.cache/qm-deps}
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(win64 win32 host)

for b in "${builds[@]}"; do
  dir="$here/build/$b"
  case $b in
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw-x86_64.cmake" -DQM_BUILD_TESTS=ON) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw-i686.cmake" -DQM_BUILD_TESTS=OFF) ;;
    host)  args=(-DQM_BUILD_TESTS=ON) ;;
    *) echo "unknown build: $b" >&2; exit 2 ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" >/dev/null
  fi
  echo "build: $b"
  cmake --build "$dir"
done
