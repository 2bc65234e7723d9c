#!/usr/bin/env bash
# The set-up script and make run on a PATH of our own: every command of this
# machine except the package managers and databases, which are replaced by
# stand-ins that only write down how they were called. Nothing is installed.
#   setup_test.sh SOURCE_DIR SWAP_COUNT_SHIM
set -u
src=$1
swapcount=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

. "$src/tests/support/stand_ins.sh"

# 1. Everything there: nothing is asked of any package manager, with pkg-config
#    and without it (then CMake's probe looks), for running and for the tests.
for without in "" pkg-config; do
  bin=$(make_path "$without")
  add_stand_ins "$bin" apt-get dnf pacman zypper brew sudo
  for mode in run test; do
    rm -f "$work/log"
    out=$(PATH=$bin "$src/tools/install-deps.sh" $mode 2>&1) || fail "all there ($mode, without '$without'): $out"
    [ -z "$out$(logged)" ] || fail "all there ($mode, without '$without') asked for: $out $(logged)"
  done
done

# 2. No C++ compiler: each package manager is asked for its own package, through
#    sudo when not root; brew and no manager at all end in one line naming it.
while read -r manager expected; do
  bin=$(make_path "c++ g++ clang++")
  add_stand_ins "$bin" sudo id
  [ "$manager" = none ] || add_stand_ins "$bin" "$manager"
  rm -f "$work/log"
  err=$(env -u CXX PATH=$bin "$src/tools/install-deps.sh" 2>&1 >/dev/null)
  status=$?
  [ $status -ne 0 ] || fail "$manager: a missing compiler reported as success"
  case $expected in
    line:*)
      [ "$(echo "$err" | wc -l)" -eq 1 ] && [[ $err == *"a C++ compiler"*"${expected#line:}"* ]] ||
        fail "$manager: expected one line about the compiler and '${expected#line:}', got: $err"
      [ -z "$(logged)" ] || fail "$manager: a package manager was called: $(logged)" ;;
    *)
      logged | grep -Fxq "$expected" && logged | grep '^sudo ' | grep -Fq "$expected" ||
        fail "$manager: expected '$expected' through sudo, got: $(logged)"
      [[ ${err##*$'\n'} == *"still missing a C++ compiler"* ]] || fail "$manager: last line: $err" ;;
  esac
done <<'EOF'
apt-get apt-get install -y -qq --no-install-recommends g++
dnf dnf install -y gcc-c++
pacman pacman -S --needed --noconfirm gcc
zypper zypper --non-interactive install gcc-c++
brew line:xcode-select --install
none line:none of apt-get dnf pacman zypper brew is here
EOF

# 3. The fuzzer runtime is asked for by the installed clang's own version, not
#    by a release's name.
bin=$(make_path "clang++")
add_stand_ins "$bin" apt-get apt-cache sudo id
rm -f "$bin/clang++"  # never write through a link to the real one
printf '#!/bin/sh\n[ "$1" = -dumpversion ] && echo 17.0.1\nexit 1\n' >"$bin/clang++"
chmod +x "$bin/clang++"
rm -f "$work/log"
PATH=$bin "$src/tools/install-deps.sh" test >/dev/null 2>&1
logged | grep -Fxq "apt-get install -y -qq --no-install-recommends libclang-rt-17-dev" ||
  fail "fuzzer runtime: expected libclang-rt-17-dev alone, got: $(logged)"

# 4. Elsewhere than Linux make test says in one line that its tests need Linux.
bin=$(make_path "uname")
rm -f "$bin/uname"
printf '#!/bin/sh\necho Darwin\n' >"$bin/uname"
chmod +x "$bin/uname"
out=$(cd "$src" && env -u MAKEFLAGS -u MAKELEVEL PATH=$bin make test 2>&1)
status=$?
[ $status -ne 0 ] && [ "$(echo "$out" | wc -l)" -eq 1 ] && [[ $out == *"needs Linux"* ]] ||
  fail "make test off Linux (status $status): $out"

# 5. make run with every dependency there, no dpkg or apt on the PATH and no
#    display: it builds the program alone and ends with its one line.
bin=$(make_path "")
out=$(cd "$src" && env -u DISPLAY -u MAKEFLAGS -u MAKELEVEL PATH=$bin make BUILD="$work/build" JOBS=2 run 2>&1)
status=$?
[ $status -ne 0 ] || fail "make run without a display reported success"
[ -x "$work/build/verdalo" ] || fail "make run did not build the program"
[ ! -e "$work/build/tests" ] || [ -z "$(find "$work/build/tests" -name '*_test*' -type f -perm -u+x)" ] ||
  fail "make run built tests"
[[ ${out##*$'\n'} == *"no X display found"* ]] || fail "make run's last line: ${out##*$'\n'}"
[ "$(echo "$out" | wc -l)" -le 3 ] || fail "make run said more than a person needs: $out"

# 6. Under a display, Escape's status 1 is a normal end: make run succeeds.
#    The program's first buffer swap says its window is up (the swap shim,
#    handed down through make, writes one byte per swap).
out=$(cd "$src" && env -u MAKEFLAGS -u MAKELEVEL PATH=$bin SWAPCOUNT="$swapcount" tools/with-xvfb.sh bash -c '
  exec 4< <(SWAP_COUNT_FD=5 LD_PRELOAD=$SWAPCOUNT make BUILD="'"$work/build"'" JOBS=2 run 5>&1 >&2; echo "status $?")
  IFS= read -r -N1 -t 300 swap <&4 || { echo "no frame from make run"; exit 1; }
  w=$(xdotool search --onlyvisible --name "^Verdalo$" 2>/dev/null | head -n1)
  xdotool mousemove --window "$w" 500 250 key Escape
  rest=$(cat <&4)
  [ "${rest##*status }" = 0 ]' 2>&1)
status=$?
[ $status -eq 0 ] || fail "make run ended Escape with status $status: $out"
[[ $out != *Error* ]] || fail "make run reported an error after Escape: $out"

[ $failures -eq 0 ] && echo "all set-up checks passed"
exit $((failures > 0))
