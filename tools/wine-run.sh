#!/usr/bin/env bash
# Runs a Windows program under Wine with its own prefix: the cross build's
# CMAKE_CROSSCOMPILING_EMULATOR, so that CTest lists and runs the Windows
# tests as it does the native ones.
#   tools/wine-run.sh PREFIX PROGRAM.exe [ARGS...]
set -euo pipefail
prefix=${1:?usage: wine-run.sh PREFIX PROGRAM.exe [ARGS...]}
shift
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No .NET or HTML engine prompts while the prefix is made, and no menu entries
# or file associations written into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
mkdir -p "$(dirname "$prefix")"

# The server and Wine's services keep the standard streams of whatever starts
# them, and CTest waits for those to close: they are started once, here, with
# the real clock and writing to a log, and the server stays a minute after its
# last program so that the next test finds it.
preload=${LD_PRELOAD-}
unset LD_PRELOAD
exec 9>"$prefix.lock"
flock 9
if ! { [ -s "$prefix.server" ] && kill -0 "$(cat "$prefix.server")" 2>/dev/null; }; then
  setsid "$wineserver" -f -p60 </dev/null >>"$prefix.log" 2>&1 9>&- &
  echo $! >"$prefix.server"
  if ! "$wine" wineboot </dev/null >>"$prefix.log" 2>&1 9>&-; then
    echo "wine-run.sh: wineboot failed, see $prefix.log" >&2
    exit 1
  fi
fi
flock -u 9
exec 9>&-
[ -z "$preload" ] || export LD_PRELOAD=$preload
exec "$wine" "$@"
