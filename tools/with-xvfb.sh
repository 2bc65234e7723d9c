#!/usr/bin/env bash
# Runs a command against a private Xvfb server on a free display number and
# stops the server afterwards. The command's exit status is passed through.
# The one place Xvfb is started: make test, the bench, and each end-to-end
# session and the tour through tools/launch.cpp.
set -u
[ $# -gt 0 ] || { echo "usage: with-xvfb.sh COMMAND [ARGS...]" >&2; exit 2; }

fifo=$(mktemp -u)
mkfifo "$fifo"
# -noreset: a server that resets when its last client leaves refuses the next
# one for a moment.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r -t 20 number <"$fifo"
rm -f "$fifo"
if [ -z "${number:-}" ]; then
  echo "with-xvfb.sh: Xvfb did not start" >&2
  kill "$xvfb" 2>/dev/null
  exit 1
fi
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT
DISPLAY=":$number" "$@"
