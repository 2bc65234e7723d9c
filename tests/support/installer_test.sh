#!/usr/bin/env bash
# An installer run once everything it looks for is here, as after make test's
# own set-up: it must say nothing and call no package manager, which on this
# PATH are stand-ins that only write down how they were called.
#   installer_test.sh SOURCE_DIR INSTALLER [ARGS...]
set -u
src=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$src/tests/support/stand_ins.sh"

bin=$(make_path "")
add_stand_ins "$bin" apt-get dnf pacman zypper brew sudo id
out=$(PATH=$bin "$@" 2>&1)
status=$?
if [ $status -ne 0 ] || [ -n "$out$(logged)" ]; then
  echo "FAIL: ${1##*/} with everything there: status $status, said '$out', called '$(logged)'"
  exit 1
fi
echo "ok: ${1##*/} $* says nothing and calls no package manager"
