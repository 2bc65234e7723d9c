#!/usr/bin/env bash
# Installs what this machine lacks of what Verdalo needs: for the program a
# C++ compiler, make, CMake, the OpenGL, GLU and GLUT development files and
# xdpyinfo (make run's display check); with "package" what make package needs
# besides (dpkg-shlibdeps); with "test" the test tools as well.
# What is missing is found as the build finds it (commands on PATH,
# pkg-config, then CMake's own find modules), never by asking a package
# database, so when nothing is missing no package manager is called.
#   tools/install-deps.sh [package|test]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/install-common.sh"
mode=${1:-run}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Each dependency's package for apt-get, dnf, pacman, zypper and brew; "-"
# where there is none. The test tools are installed on Debian and Ubuntu only.
# CLANG stands for the installed clang's major version.
table='
compiler    g++              gcc-c++           gcc           gcc-c++           -
make        make             make              make          make              -
cmake       cmake            cmake             cmake         cmake             cmake
gl          libgl-dev        mesa-libGL-devel  mesa          Mesa-libGL-devel  -
glu         libglu1-mesa-dev mesa-libGLU-devel glu           glu-devel         -
glut        freeglut3-dev    freeglut-devel    freeglut      freeglut-devel    freeglut
xdpyinfo    x11-utils        xdpyinfo          xorg-xdpyinfo xdpyinfo          -
gtest       libgtest-dev     -                 -             -                 -
benchmark   libbenchmark-dev -                 -             -                 -
clang       clang            -                 -             -                 -
fuzzer      libclang-rt-CLANG-dev -            -             -                 -
xvfb        xvfb             -                 -             -                 -
xwininfo    x11-utils        -                 -             -                 -
xdotool     xdotool          -                 -             -                 -
imagemagick imagemagick      -                 -             -                 -
dpkg-shlibdeps dpkg-dev      -                 -             -                 -
lintian     lintian          -                 -             -                 -
desktop-file-validate desktop-file-utils - -      -                 -
appstreamcli appstream       -                 -             -                 -
man         man-db           -                 -             -                 -
'

label() {
  case $1 in
    compiler) echo "a C++ compiler" ;;
    cmake) echo "CMake" ;;
    gl | glu) echo "${1^^} development files" ;;
    glut) echo "GLUT development files" ;;
    gtest) echo "GoogleTest" ;;
    benchmark) echo "Google Benchmark" ;;
    fuzzer) echo "clang's fuzzer runtime" ;;
    xvfb) echo "Xvfb" ;;
    imagemagick) echo "ImageMagick" ;;
    *) echo "$1" ;;
  esac
}

# Libraries: pkg-config first, which answers at once; where it cannot, a small
# CMake project looks for them with the build's own find calls.
probed=""
probe_missing() {
  if [ -z "$probed" ]; then
    local tests=OFF
    [ "$mode" = test ] && tests=ON
    if ! cmake -S "$top/cmake/probe" -B "$scratch/probe" -DOUT="$scratch/missing" -DPROBE_TESTS=$tests \
      >"$scratch/probe.log" 2>&1; then
      echo "install-deps.sh: CMake cannot configure a C++ project here:" \
        "$(grep -m1 -i error "$scratch/probe.log" || echo "no reason given")" >&2
      exit 1
    fi
    probed=yes
  fi
  grep -qx "$1" "$scratch/missing"
}

library_found() {
  { have pkg-config && pkg-config --exists "$1"; } || ! probe_missing "$1"
}

fuzzer_links() {
  have clang++ && echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' |
    clang++ -x c++ - -fsanitize=fuzzer,address,undefined -o "$scratch/fuzz" >/dev/null 2>&1
}

found() {
  case $1 in
    compiler) have "${CXX:-c++}" || have g++ || have clang++ ;;
    gl | glu | glut | gtest | benchmark) library_found "$1" ;;
    clang) have clang++ ;;
    fuzzer) fuzzer_links ;;
    xvfb) have Xvfb ;;
    imagemagick) have convert && have import ;;
    *) have "$1" ;;
  esac
}

# Commands first: the libraries are looked for with the compiler and CMake.
run_commands=(compiler make cmake)
[ "$(uname -s)" = Darwin ] || run_commands+=(xdpyinfo)
rounds=("${run_commands[*]}" "gl glu glut")
[ "$mode" = run ] || rounds[0]+=" dpkg-shlibdeps"
if [ "$mode" = test ]; then
  rounds[0]+=" clang xvfb xwininfo xdotool imagemagick lintian desktop-file-validate appstreamcli man"
  rounds[1]+=" gtest benchmark fuzzer"
fi

package_for() {
  local column=0 k
  for k in "${!managers[@]}"; do
    [ "${managers[$k]}" = "$manager" ] && column=$((k + 2))
  done
  local package
  package=$(awk -v dep="$1" -v col="$column" '$1 == dep { print $col }' <<<"$table")
  if [ "$package" != "${package/CLANG/}" ]; then
    local major
    major=$(clang++ -dumpversion | cut -d. -f1)
    package=${package/CLANG/$major}
    # Before the runtime had a package of its own it came with clang's headers.
    apt-cache show "$package" >/dev/null 2>&1 || package=libclang-common-$major-dev
  fi
  echo "$package"
}

# One line naming what is missing and how to get it; why: none (no package
# manager), unpackaged (none of its packages is known here) or failed.
give_up() {
  local why=$1 names=() dep
  shift
  for dep in "$@"; do names+=("$(label "$dep")"); done
  local list
  list=$(printf '%s, ' "${names[@]}")
  list=${list%, }
  case $why in
    none) echo "install-deps.sh: missing $list; install them with this system's package manager (none of ${managers[*]} is here)" >&2 ;;
    unpackaged)
      if [ "$mode" = test ] && [ "$manager" != apt-get ]; then
        echo "install-deps.sh: make test needs $list; this script installs the test tools on Debian and Ubuntu only" >&2
      elif [ "$manager" = brew ]; then
        echo "install-deps.sh: missing $list; install Xcode's command line tools (xcode-select --install)" >&2
      else
        echo "install-deps.sh: missing $list; $manager has no package for it known to this script" >&2
      fi ;;
    failed) echo "install-deps.sh: still missing $list after installing with $manager" >&2 ;;
  esac
  exit 1
}

for round in "${rounds[@]}"; do
  missing=()
  for dep in $round; do
    found "$dep" || missing+=("$dep")
  done
  [ ${#missing[@]} -eq 0 ] && continue
  [ -n "$manager" ] || give_up none "${missing[@]}"
  packages=() unpackaged=()
  for dep in "${missing[@]}"; do
    p=$(package_for "$dep")
    if [ "$p" = - ]; then unpackaged+=("$dep"); else packages+=("$p"); fi
  done
  [ ${#unpackaged[@]} -eq 0 ] || give_up unpackaged "${unpackaged[@]}"
  install $(printf '%s\n' "${packages[@]}" | sort -u)
  probed=""
  rm -rf "$scratch/probe"
  still=()
  for dep in "${missing[@]}"; do
    found "$dep" || still+=("$dep")
  done
  [ ${#still[@]} -eq 0 ] || give_up failed "${still[@]}"
done
