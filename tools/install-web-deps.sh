#!/usr/bin/env bash
# Installs what the browser build needs and this machine lacks: emscripten,
# CMake and make for `make web`; with "test" also node and npm, Chromium,
# GoogleTest's sources, ImageMagick, and puppeteer-core from npm into
# tests/web/node_modules (no browser is downloaded: Debian's Chromium is used).
# What is there is found on the PATH or on disk, so when nothing is missing no
# package manager is called.
#   tools/install-web-deps.sh [test]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-build}

source "$top/tools/install-common.sh"

# How each need is found, and its Debian packages.
table='
have cmake  | cmake
have make   | make
have emcc   | emscripten
'
if [ "$mode" = test ]; then
  # The picture comparison runs the desktop program beside the page, under Xvfb.
  table+='
have node   | nodejs
have npm    | npm
have chromium | chromium
test -f /usr/src/googletest/CMakeLists.txt | googletest
have convert && have identify | imagemagick
have Xvfb   | xvfb
'
fi
install_debian "$table" "on this system install emscripten through emsdk (https://emscripten.org/docs/getting_started/downloads.html), node, npm and Chromium yourself"

# puppeteer-core as the lockfile has it; npm ci again only when the lockfile changed.
if [ "$mode" = test ]; then
  web=$top/tests/web
  installed=$web/node_modules/.package-lock.json
  if ! [ -f "$installed" ] || [ "$web/package-lock.json" -nt "$installed" ]; then
    echo "installing puppeteer-core from npm into tests/web/node_modules" >&2
    (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >&2)
  fi
fi
