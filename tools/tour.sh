#!/usr/bin/env bash
# A scripted headless tour: runs the real program under a private Xvfb with a
# fixed clock, drives it with xdotool as a person would, and writes a PNG
# screenshot after each step.
#   tools/tour.sh [OUTPUT_FOLDER]      (default: build/tour)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$top/build/tour}" && cd "${1:-$top/build/tour}" && pwd)
rm -f "$out"/[0-9][0-9]-*.png
binary=$top/build/verdalo
shim=$top/build/libfixedtime.so
fixed_time=${FIXED_TIME:-1700000000}
[ -x "$binary" ] && [ -f "$shim" ] || { echo "tour: build first (make build)" >&2; exit 1; }

if [ -z "${TOUR_INSIDE_XVFB:-}" ]; then
  TOUR_INSIDE_XVFB=1 exec "$top/tools/with-xvfb.sh" "$0" "$out"
fi

cd "$top/assets"
FIXED_TIME=$fixed_time LD_PRELOAD=$shim "$binary" >"$out/stdout.txt" 2>"$out/stderr.txt" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Verdalo$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "tour: the window did not appear" >&2; cat "$out/stderr.txt" >&2; exit 1; }
xdotool mousemove --window "$window" 500 250  # the pointer's window has the keyboard

# The program draws only in answer to events: once its CPU time stops growing,
# every frame asked for is on screen.
settle() {
  local last now quiet=0
  last=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  while [ $quiet -lt 4 ]; do
    sleep 0.1
    now=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    if [ "$now" = "$last" ]; then quiet=$((quiet + 1)); else quiet=0; fi
    last=$now
  done
}

step=0
shot() {
  settle
  step=$((step + 1))
  local name
  name=$(printf '%02d-%s.png' "$step" "$1")
  import -window "$window" "$out/$name"
  echo "$out/$name"
}

taps() {  # taps KEY COUNT
  for _ in $(seq "$2"); do xdotool key "$1"; done
}

shot start
taps d 6;        shot turn-right
taps f 6;        shot look-down
xdotool click 1; shot wireframe
xdotool click 1
taps w 15;       shot walk-in
taps d 20;       shot turn-across
xdotool click 3; shot billboards-off
xdotool click 3
taps space 6;    shot rise
taps z 10;       shot zoom-out
taps x 20;       shot zoom-in
taps z 10
xdotool key F5;  shot new-world
xdotool key Escape
wait $pid || true
trap - EXIT
