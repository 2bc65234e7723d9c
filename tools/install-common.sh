# What the installers share, sourced by tools/install-deps.sh,
# tools/install-web-deps.sh and tools/install-windows-deps.sh: how a
# dependency is found on this machine (never by asking a package database, so
# that when nothing is missing no package manager is called), which package
# manager is here, and how it and anything else that needs root is called,
# through sudo when not root.

managers=(apt-get dnf pacman zypper brew)

have() { command -v "$1" >/dev/null 2>&1; }

manager=""
for m in "${managers[@]}"; do
  have "$m" && { manager=$m; break; }
done

# as_root COMMAND...: runs COMMAND as root, through sudo when not root; the
# name of the script that asks comes first in what it says.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
    return
  fi
  have sudo || {
    echo "${0##*/}: '$*' needs root and there is no sudo here; run ${0##*/} as root" >&2
    exit 1
  }
  sudo "$@"
}

# install PACKAGE...: one call of this system's package manager.
install() {
  echo "installing with $manager: $*" >&2
  case $manager in
    apt-get)
      as_root apt-get update -qq
      as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >&2 ;;
    dnf) as_root dnf install -y "$@" >&2 ;;
    pacman) as_root pacman -S --needed --noconfirm "$@" >&2 ;;
    zypper) as_root zypper --non-interactive install "$@" >&2 ;;
    brew) brew install "$@" >&2 ;;
  esac
}

# install_debian TABLE [ELSEWHERE]: TABLE has a line "CHECK | PACKAGE..." for
# each need, the packages being Debian's; those of every CHECK that fails are
# installed in one call. Without apt-get it says what is missing, and
# ELSEWHERE if given, and stops.
install_debian() {
  local missing=() how packages more
  while IFS='|' read -r how packages; do
    [ -n "${how// /}" ] || continue
    if ! eval "$how"; then
      read -r -a more <<<"$packages"
      missing+=("${more[@]}")
    fi
  done <<<"$1"
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$manager" != apt-get ]; then
    echo "${0##*/}: missing Debian's packages ${missing[*]}; no apt-get here${2:+; $2}" >&2
    exit 1
  fi
  install "${missing[@]}"
}
