#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine checks need and are not on
# this machine yet, and fetches Debian's freeglut source into the build folder.
# Cheap when everything is already there.
# Usage: install-windows-deps.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: install-windows-deps.sh BUILD_DIR}

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  googletest dpkg-dev
  wine64 libfaketime
  xvfb xauth x11-utils xdotool imagemagick
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=""
update() { [ -n "$updated" ] || { $sudo apt-get update -qq; updated=1; }; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}" >&2
  update
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

# freeglut for Windows is built from Debian's own source package.
if ! ls "$build"/freeglut-src/freeglut-*/CMakeLists.txt >/dev/null 2>&1; then
  # apt-get source needs a deb-src entry; add them only when the machine has none.
  if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # The same archives as the machine's own deb entries, for sources.
    echo "adding deb-src entries beside this machine's deb entries in /etc/apt/sources.list.d/verdalo-deb-src.*" >&2
    deb822="" oneline=""
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && deb822+="$(sed 's/^Types: deb$/Types: deb-src/' "$f")"$'\n\n'
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] && oneline+="$(sed -n 's/^deb /deb-src /p' "$f")"$'\n'
    done
    [ -z "${deb822//[$'\n']/}" ] || printf '%s' "$deb822" | $sudo tee /etc/apt/sources.list.d/verdalo-deb-src.sources >/dev/null
    [ -z "${oneline//[$'\n']/}" ] || printf '%s' "$oneline" | $sudo tee /etc/apt/sources.list.d/verdalo-deb-src.list >/dev/null
    updated=""
  fi
  update
  rm -rf "$build/freeglut-src"
  mkdir -p "$build/freeglut-src"
  (cd "$build/freeglut-src" && apt-get source -qq freeglut >&2)
fi
