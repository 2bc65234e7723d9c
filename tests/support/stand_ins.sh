# Sourced by the installer tests: a PATH of this machine's own commands in
# which the package managers and databases are replaced by stand-ins that
# only write down how they were called, so nothing is ever installed. Needs
# $work, a scratch folder of the test's own.

hidden=" apt-get apt-cache dpkg dpkg-query dnf pacman zypper brew sudo id "
# A PATH folder with this machine's commands, less those named in $1: the
# first of each name on PATH, linked in one call.
make_path() {
  local bin d f name
  local -A seen=()
  local targets=()
  bin=$(mktemp -d "$work/bin-XXXXXX")
  local IFS=:
  for d in $PATH; do
    for f in "$d"/*; do
      name=${f##*/}
      [ -x "$f" ] && [ -z "${seen[$name]:-}" ] || continue
      seen[$name]=1
      case "$hidden $1 " in *" $name "*) continue ;; esac
      targets+=("$f")
    done
  done
  [ ${#targets[@]} -eq 0 ] || ln -s -t "$bin" -- "${targets[@]}"
  echo "$bin"
}
# Stand-ins that log their calls; sudo runs what it is given, id says "not root".
add_stand_ins() {
  local bin=$1 name
  shift
  for name in "$@"; do
    rm -f "$bin/$name"  # a link to the real command: never write through it
    printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$name" "$work/log" >"$bin/$name"
    [ "$name" = sudo ] && echo 'exec "$@"' >>"$bin/$name"
    [ "$name" = id ] && echo 'echo 1000' >>"$bin/$name"
    chmod +x "$bin/$name"
  done
}
logged() { cat "$work/log" 2>/dev/null; }
