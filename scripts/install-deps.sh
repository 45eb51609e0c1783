#!/usr/bin/env bash
# Installs the packages that building, testing and running Corkwallery need and that are missing:
# on Debian and Ubuntu with apt-get (packaging/debian-deps.txt), on Fedora with dnf
# (packaging/fedora-deps.txt), on Arch with pacman (packaging/arch-deps.txt), as root or through
# sudo, and only when something is missing. Elsewhere it says what is needed. SKIP_DEPS=1 skips it.
# With the argument desktop-deps: the desktops that `make test-desktops` tries instead
# (packaging/<family>-desktop-deps.txt).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
list=${1:-deps}
[[ "${SKIP_DEPS:-}" == 1 ]] && exit 0

# The system and the systems it derives from (ID, then ID_LIKE in /etc/os-release).
# shellcheck source=/dev/null
ids=$(if . /etc/os-release 2>/dev/null; then echo "${ID:-}${ID_LIKE:+ $ID_LIKE}"; fi)
family=''
for id in $ids; do
  case "$id" in
    debian | ubuntu) family=debian ;;
    fedora) family=fedora ;;
    arch) family=arch ;;
    *) continue ;;
  esac
  break
done
if [[ -z "$family" ]]; then
  cat >&2 <<TEXT
Corkwallery does not know how to install packages on this system (${ids:-no /etc/os-release}).
It needs: a C++20 compiler, CMake 3.25 and Ninja, Qt 6.4 or later (Core, Gui, Widgets, Svg, DBus,
the Linguist tools, the image-format plugins, Qt's translations), nlohmann-json 3.11, libwebp,
libheif 1.15, libjxl 0.7, the xcb, xcb-shape and xcb-xfixes headers, and for the tests GoogleTest
with GoogleMock, Google Benchmark, lcms2, Xvfb, openbox, xcompmgr, trayer, xdotool, dbus-daemon,
xdpyinfo, xprop, xwininfo, xev, xsetroot, wmctrl, xsm, xsettingsd, ImageMagick, exiftool, DejaVu
fonts, djpeg, dwebp, webpmux, heif-enc, avifenc, cjxl, free ICC profiles (sRGB, grey, Adobe RGB),
appstream and man. packaging/debian-deps.txt lists
Debian's names for them.
Install them, then run again with SKIP_DEPS=1 (for example: SKIP_DEPS=1 make run).
TEXT
  exit 1
fi

installed() {
  case $family in
    debian) [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]] ;;
    fedora) rpm -q --whatprovides "$1" >/dev/null 2>&1 ;;
    arch) pacman -Q "$1" >/dev/null 2>&1 ;;
  esac
}
if [[ ! -f $here/packaging/$family-$list.txt ]]; then
  echo "No list of $list for $family: install them by hand, or their journeys are skipped." >&2
  exit 0
fi
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  installed "$pkg" || missing+=("$pkg")
done <"$here/packaging/$family-$list.txt"
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "Missing packages: ${missing[*]}. Install them as root (there is no sudo)," \
      "or skip this step with SKIP_DEPS=1." >&2
    exit 1
  fi
  # Without a terminal sudo cannot ask for a password: say so rather than fail inside sudo.
  if ! sudo -n true 2>/dev/null && [[ ! -t 0 ]]; then
    echo "Missing packages: ${missing[*]}. Installing them needs sudo, which asks for a password," \
      "and there is no terminal to type it in. Install them (or run 'sudo -v' in a terminal" \
      "first), or skip this step with SKIP_DEPS=1." >&2
    exit 1
  fi
  sudo=(sudo)
fi

echo "Installing missing packages: ${missing[*]}"
case $family in
  debian)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    ;;
  fedora) "${sudo[@]}" dnf install -y "${missing[@]}" ;;
  arch) "${sudo[@]}" pacman -S --needed --noconfirm "${missing[@]}" ;;
esac
