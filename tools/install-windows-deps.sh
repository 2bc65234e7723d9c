#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine checks need and are not on
# this machine yet, and fetches Debian's freeglut source into the build folder.
# Cheap when everything is already there.
# Usage: install-windows-deps.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: install-windows-deps.sh BUILD_DIR}

. "$(cd "$(dirname "$0")" && pwd)/install-common.sh"

# How each thing the cross build and its Wine checks use is found here, and
# Debian's packages for it.
table='
have x86_64-w64-mingw32-g++-posix            | g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
have cmake                                   | cmake
have make                                    | make
test -f /usr/src/googletest/CMakeLists.txt   | googletest
have dpkg-source                             | dpkg-dev
test -x /usr/lib/wine/wine64                 | wine64
faketime_found                               | libfaketime
have Xvfb                                    | xvfb xauth
have xdotool                                 | xdotool
have xwininfo                                | x11-utils
have convert                                 | imagemagick
'
# Wherever this system's multiarch layout put it: one of the places will do.
faketime_found() {
  local f
  for f in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
    [ -f "$f" ] && return 0
  done
  return 1
}
install_debian "$table"

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
    [ -z "${deb822//[$'\n']/}" ] || printf '%s' "$deb822" | as_root tee /etc/apt/sources.list.d/verdalo-deb-src.sources >/dev/null
    [ -z "${oneline//[$'\n']/}" ] || printf '%s' "$oneline" | as_root tee /etc/apt/sources.list.d/verdalo-deb-src.list >/dev/null
  fi
  as_root apt-get update -qq
  rm -rf "$build/freeglut-src"
  mkdir -p "$build/freeglut-src"
  (cd "$build/freeglut-src" && apt-get source -qq freeglut >&2)
fi
