#!/usr/bin/env bash
# Builds what the Windows cross build links with mingw-w64: freeglut (from
# Debian's source package) and GoogleTest (from Debian's googletest sources),
# once, into BUILD_DIR/deps, where later runs find and reuse them.
# Usage: build-windows-deps.sh BUILD_DIR [JOBS]
set -euo pipefail
build=$(mkdir -p "${1:?usage: build-windows-deps.sh BUILD_DIR [JOBS]}" && cd "$1" && pwd)
jobs=${2:-2}
toolchain=$(cd "$(dirname "$0")/.." && pwd)/cmake/mingw-w64.cmake
deps=$build/deps

# dep NAME SOURCE_DIR CMAKE_ARGS...: configure, build and install one library.
dep() {
  local name=$1 src=$2
  shift 2
  echo "building $name for Windows" >&2
  cmake -S "$src" -B "$build/$name-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_PREFIX_PATH="$deps" \
    "$@" >/dev/null
  cmake --build "$build/$name-build" -j "$jobs" >/dev/null
  cmake --install "$build/$name-build" >/dev/null
}

if [ ! -f "$deps/lib/libglut.a" ]; then
  src=$(ls -d "$build"/freeglut-src/freeglut-*/ | head -1)
  dep freeglut "$src" -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
    -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON
fi
if [ ! -f "$deps/lib/libgtest.a" ]; then
  dep gtest /usr/src/googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
fi

