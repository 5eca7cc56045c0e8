#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine and builds the
# Windows dependencies (JsonCpp, GoogleTest) into a cache outside the source tree.
# Safe to run again: every step checks whether it is already done.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps=${QM_DEPS_PREFIX:-$HOME/.cache/qm-deps}
mkdir -p "$deps"

packages=(
  cmake ninja-build g++ python3 zlib1g-dev libjsoncpp-dev libgtest-dev googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev
  wine64 wine xvfb xauth xdotool imagemagick aria2 curl file dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# JsonCpp for Windows comes from Debian's source package.
jsoncpp_src=$(ls -d "$deps"/src/libjsoncpp-*/ 2>/dev/null | head -n 1 || true)
if [ -z "$jsoncpp_src" ]; then
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    echo "setup: adding deb-src entries"
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      sed -e 's/^Types:.*/Types: deb-src/' "$f" | "${sudo_cmd[@]}" tee "/etc/apt/sources.list.d/qm-src-$(basename "$f")" >/dev/null
    done
    if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/qm-src.list >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  mkdir -p "$deps/src"
  (cd "$deps/src" && apt-get source -qq libjsoncpp >/dev/null)
  jsoncpp_src=$(ls -d "$deps"/src/libjsoncpp-*/ | head -n 1)
fi

build_dep() { # name source triple toolchain extra-cmake-args...
  local name=$1 src=$2 triple=$3 toolchain=$4; shift 4
  local stamp="$deps/$triple/.$name.done"
  [ -f "$stamp" ] && return 0
  echo "setup: building $name for $triple"
  local b="$deps/build/$name-$triple"
  rm -rf "$b"
  cmake -S "$src" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$deps/$triple" "$@" >/dev/null
  cmake --build "$b" >/dev/null
  cmake --install "$b" >/dev/null
  touch "$stamp"
}

for t in x86_64:toolchain-mingw-x86_64.cmake i686:toolchain-mingw-i686.cmake; do
  triple=${t%%:*}-w64-mingw32
  build_dep jsoncpp "$jsoncpp_src" "$triple" "${t#*:}" \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DBUILD_SHARED_LIBS=OFF \
    -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_EXAMPLE=OFF
done
build_dep googletest /usr/src/googletest x86_64-w64-mingw32 toolchain-mingw-x86_64.cmake \
  -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF

echo "setup: dependencies ready in $deps"
