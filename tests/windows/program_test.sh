#!/usr/bin/env bash
# The cross-built verdalo.exe under Wine, one check a CTest test: its DLL
# imports, then the real program in a window on the X display CTest runs
# under, driven by xdotool and seen by ImageMagick.
#   program_test.sh imports|full|one-image|zip
# From CTest's environment: EXE, TREE_COUNT (tools built for Windows), ASSETS,
# ZIP (what make package-windows makes), CENSUS (the desktop build's pixel
# counter), WORK (where shots and logs go) and WINE_RUN (the build's Wine launcher).
set -u
check=${1:?usage: program_test.sh imports|full|one-image|zip}
mkdir -p "$WORK"
if [ "$check" != imports ] && [ ! -x "$CENSUS" ]; then
  echo "FAIL $check: no $CENSUS; make test builds the desktop build first"
  exit 1
fi
read -r -a wine_run <<<"$WINE_RUN"

failed=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1: $2"; failed=1; }

# Windows' time() cannot be reached by the LD_PRELOAD shim, but libfaketime
# underneath Wine freezes the clock it reads; the program then seeds with this.
seed=1234567890
frozen=$(TZ=UTC date -d "@$seed" '+%Y-%m-%d %H:%M:%S')
# Wherever this system's multiarch layout put it.
faketime=$(ls /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1 2>/dev/null | head -n1)

# until_ok SECONDS COMMAND...: retries COMMAND until it succeeds or time runs out.
until_ok() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# start NAME DIR: runs the program in DIR with the frozen clock; sets pid, window.
start() {
  name=$1
  (cd "$2" && LD_PRELOAD=$faketime FAKETIME="$frozen" TZ=UTC \
    exec "${wine_run[@]}" "$EXE" >"$WORK/$name.out" 2>"$WORK/$name.err" </dev/null) &
  pid=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Verdalo$' 2>/dev/null | head -1)
  if [ -z "$window" ]; then
    fail "$name: window" "none appeared; stderr: $(tr -d '\r' <"$WORK/$name.err" | tail -3)"
    kill "$pid" 2>/dev/null
    return 1
  fi
  # With no window manager the keyboard follows the pointer.
  xdotool mousemove --window "$window" 500 250
}

# shot FILE: the window's drawing area as 8-bit RGB.
shot() { import -window "$window" -depth 8 "$1" 2>/dev/null; }

# differ A B: how many pixels two pictures differ in.
differ() { local n; n=$(compare -metric AE "$1" "$2" null: 2>&1); echo "${n%% *}"; }

# The one rule for "a frame is on screen" under Wine, where no swap can be
# counted: a shot with terrain along the bottom, equal to the shot before it.
new_frame() {
  local next=${1%.png}-next.png
  shot "$next" || return 1
  local bottom
  bottom=$(convert "$next" -crop 1000x50+0+450 -unique-colors -format '%w' info:)
  local same=1
  [ -f "$1" ] && [ "$bottom" -gt 1 ] && [ "$(differ "$1" "$next")" = 0 ] && same=0
  mv "$next" "$1"
  return $same
}
settled() { rm -f "$1"; until_ok 60 new_frame "$1"; }

# census FILE [GEOMETRY]: "sky water land tree snow other" pixel counts, by the
# end-to-end harness's classes.
census() { "$CENSUS" "$@"; }

# Lines the program wrote to stderr; Wine's own messages are left aside.
program_lines() { tr -d '\r' <"$1" | grep '^verdalo: '; }

# ends_a_line FILE: FILE is not empty and its last byte is a newline.
ends_a_line() { [ -s "$1" ] && [ -z "$(tail -c1 "$1")" ]; }

# f5 NAME: one F5 prints exactly what the world code built for Windows counts
# for this seed, as a Windows CRLF line.
f5() {
  local expected got
  expected=$("${wine_run[@]}" "$TREE_COUNT" "$seed" 2>/dev/null | tr -d '\r')
  case $expected in
    *[0-9]" trees") ;;
    *) fail "tree count" "tree_count.exe printed '$expected'"; return ;;
  esac
  xdotool key F5
  until_ok 60 ends_a_line "$WORK/$1.out"
  got=$(sed -n l "$WORK/$1.out")
  if [ "$(cat "$WORK/$1.out")" = "$expected"$'\r' ]; then pass "$1: F5 prints '$expected' (CRLF)"
  else fail "$1: F5" "printed '$got', expected '$expected\\r\$'"; fi
}

# escape NAME: Escape ends the program with status 1 and nothing more on stdout.
escape() {
  local before status
  before=$(cat "$WORK/$1.out")
  xdotool key Escape
  if until_ok 60 eval '! kill -0 $pid 2>/dev/null'; then
    wait "$pid"
    status=$?
    [ "$status" = 1 ] && pass "$1: Escape exits with status 1" || fail "$1: Escape" "status $status"
  else
    fail "$1: Escape" "still running"
    kill "$pid" 2>/dev/null
  fi
  [ "$(cat "$WORK/$1.out")" = "$before" ] || fail "$1: stdout" "more output after F5"
}

case $check in
imports)
  # The executable needs only DLLs that Windows ships.
  imports=$(x86_64-w64-mingw32-objdump -p "$EXE" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
  extra=$(grep -vxE 'advapi32|gdi32|glu32|kernel32|msvcrt|opengl32|user32|winmm|ws2_32|shell32|ole32' \
    <<<"$(sed 's/\.dll$//' <<<"$imports")")
  if [ -n "$imports" ] && [ -z "$extra" ]; then pass "static: imports only $(echo $imports)"
  else fail "static" "imports $(echo ${extra:-nothing})"; fi
  ;;
full)
  # With both tree images, as a user starts it.
  [ -n "$faketime" ] || { echo "FAIL faketime: libfaketime.so.1 not found (package libfaketime)"; exit 1; }
  if start full "$ASSETS"; then
    name=$(xdotool getwindowname "$window")
    WIDTH=? HEIGHT=?
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$name" = Verdalo ] && pass "full: title '$name'" || fail "full: title" "'$name'"
    # Under Wine the drawing area sits at (104, 123), not where the program puts
    # it, so only the size is checked.
    [ "$WIDTH"x"$HEIGHT" = 1000x500 ] && pass "full: size 1000x500" || fail "full: size" "${WIDTH}x$HEIGHT"
    if settled "$WORK/full.png"; then
      read -r sky water land tree _ <<<"$(census "$WORK/full.png")"
      read -r top _ <<<"$(census "$WORK/full.png" 1000x50+0+0)"
      counts="sky $sky (top rows $top of 50000), water $water, land $land, tree $tree"
      # The eye stands above the land: sky over the top, terrain and trees below.
      if [ "$top" -ge 49500 ] && [ "$water" -ge 500 ] && [ "$land" -ge 500 ] && [ "$tree" -ge 20 ]; then
        pass "full: first frame shows $counts"
      else fail "full: first frame" "$counts"; fi
    else fail "full: first frame" "no settled frame with terrain"; fi
    lines=$(program_lines "$WORK/full.err")
    [ -z "$lines" ] && pass "full: nothing on stderr from the program" || fail "full: stderr" "$lines"
    f5 full
    escape full
  fi
  ;;
one-image)
  # Without tree1.tga: one line names it, and the program draws and flies on.
  # Its first frame is compared with the full one (the test before it).
  [ -n "$faketime" ] || { echo "FAIL faketime: libfaketime.so.1 not found (package libfaketime)"; exit 1; }
  rm -rf "$WORK/one-image" && mkdir -p "$WORK/one-image"
  cp "$ASSETS/tree2.tga" "$WORK/one-image/"
  if start one-image "$WORK/one-image"; then
    if settled "$WORK/one-image.png"; then
      read -r sky water land tree _ <<<"$(census "$WORK/one-image.png")"
      # The same clock builds the same world, so only the missing trees differ:
      # some pixels, but far fewer than another world would change.
      gone=$(differ "$WORK/one-image.png" "$WORK/full.png")
      if [ "$water" -ge 500 ] && [ "$land" -ge 500 ] && [ "$gone" -gt 0 ] 2>/dev/null &&
         [ "$gone" -lt 25000 ]; then
        pass "one-image: terrain drawn; $gone pixels differ from the frame with both kinds"
      else fail "one-image: first frame" "water $water, land $land, $gone pixels differ"; fi
    else fail "one-image: first frame" "no settled frame with terrain"; fi
    lines=$(program_lines "$WORK/one-image.err")
    want="verdalo: tree1.tga cannot be opened; its trees are not drawn"
    [ "$lines" = "$want" ] && pass "one-image: stderr '$lines'" || fail "one-image: stderr" "'$lines'"
    f5 one-image
    escape one-image
  fi
  ;;
zip)
  # The zip: verdalo.exe beside both images, its note and licence; unpacked,
  # the exe draws trees started in its own folder and, with the images beside
  # it, from a folder without any.
  [ -n "$faketime" ] || { echo "FAIL faketime: libfaketime.so.1 not found (package libfaketime)"; exit 1; }
  top=$(basename "$ZIP" .zip)
  rm -rf "$WORK/zip" "$WORK/no-images" && mkdir -p "$WORK/zip" "$WORK/no-images"
  if (cd "$WORK/zip" && cmake -E tar xf "$ZIP"); then
    listed=$(cd "$WORK/zip" && find . -type f | sort | tr '\n' ' ')
    want="./$top/LICENSE.txt ./$top/README.txt ./$top/tree1.tga ./$top/tree2.tga ./$top/verdalo.exe "
    [ "$listed" = "$want" ] && pass "zip: holds $want" || fail "zip: files" "$listed"
    grep -q $'\r$' "$WORK/zip/$top/README.txt" && pass "zip: README.txt has Windows line ends" ||
      fail "zip: README.txt" "no CRLF"
    EXE=$WORK/zip/$top/verdalo.exe
    for from in zip:"$WORK/zip/$top" elsewhere:"$WORK/no-images"; do
      name=zip-${from%%:*}
      start "$name" "${from#*:}" || continue
      if settled "$WORK/$name.png"; then
        read -r sky water land tree _ <<<"$(census "$WORK/$name.png")"
        [ "$tree" -ge 20 ] && pass "$name: first frame has $tree tree pixels" || fail "$name: first frame" "tree $tree"
      else fail "$name: first frame" "no settled frame with terrain"; fi
      lines=$(program_lines "$WORK/$name.err")
      [ -z "$lines" ] && pass "$name: nothing on stderr from the program" || fail "$name: stderr" "$lines"
      f5 "$name"
      escape "$name"
    done
  else
    fail "zip" "cannot unpack $ZIP"
  fi
  ;;
*) echo "program_test.sh: no check '$check'" >&2; exit 2 ;;
esac
exit $failed
