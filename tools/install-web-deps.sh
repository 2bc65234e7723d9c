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

# Each need: how it is found, and its Debian package.
missing=()
need() { eval "$2" || missing+=("$1"); }
need cmake 'have cmake'
need make 'have make'
need emscripten 'have emcc'
if [ "$mode" = test ]; then
  need nodejs 'have node'
  need npm 'have npm'
  need chromium 'have chromium'
  need googletest '[ -f /usr/src/googletest/CMakeLists.txt ]'
  need imagemagick 'have convert && have identify'
  # The picture comparison runs the desktop program beside the page.
  need xvfb 'have Xvfb'
fi

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$manager" != apt-get ]; then
    echo "install-web-deps.sh: missing ${missing[*]}; on this system install emscripten through emsdk" \
      "(https://emscripten.org/docs/getting_started/downloads.html), node, npm and Chromium yourself" >&2
    exit 1
  fi
  install "${missing[@]}"
fi

# puppeteer-core as the lockfile has it; npm ci again only when the lockfile changed.
if [ "$mode" = test ]; then
  web=$top/tests/web
  installed=$web/node_modules/.package-lock.json
  if ! [ -f "$installed" ] || [ "$web/package-lock.json" -nt "$installed" ]; then
    echo "installing puppeteer-core from npm into tests/web/node_modules" >&2
    (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >&2)
  fi
fi
