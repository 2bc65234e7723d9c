# What both installers share, sourced by tools/install-deps.sh and
# tools/install-windows-deps.sh: how a dependency is found on this machine
# (never by asking a package database, so that when nothing is missing no
# package manager is called), which package manager is here, and how it is
# called, through sudo when not root.

managers=(apt-get dnf pacman zypper brew)

have() { command -v "$1" >/dev/null 2>&1; }

manager=""
for m in "${managers[@]}"; do
  have "$m" && { manager=$m; break; }
done

# install PACKAGE...: one call of this system's package manager; the name of
# the script that asks comes first in what it says.
install() {
  local sudo=""
  if [ "$manager" != brew ] && [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
    have sudo || {
      echo "${0##*/}: installing $* needs root and there is no sudo here; run ${0##*/} as root" >&2
      exit 1
    }
  fi
  echo "installing with $manager: $*" >&2
  case $manager in
    apt-get)
      $sudo apt-get update -qq
      $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >&2 ;;
    dnf) $sudo dnf install -y "$@" >&2 ;;
    pacman) $sudo pacman -S --needed --noconfirm "$@" >&2 ;;
    zypper) $sudo zypper --non-interactive install "$@" >&2 ;;
    brew) brew install "$@" >&2 ;;
  esac
}

