#!/usr/bin/env bash
# Installs the packages of the groups named (build, run, package, test, fuzz; all when none is)
# that are missing: on Debian and Ubuntu with apt-get (packaging/debian-deps.txt), on Fedora with
# dnf (packaging/fedora-deps.txt), on Arch with pacman (packaging/arch-deps.txt), as root or
# through sudo, and only when something is missing. Elsewhere it says what is needed. SKIP_DEPS=1
# skips it. A list's comment starting with a group's name ("# test: ...") starts that group.
# With the argument desktop-deps: every package of the desktops that `make test-desktops` tries
# instead (packaging/<family>-desktop-deps.txt).
# With --check first, it installs nothing and says by its status whether all are installed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
check=0
[[ "${1:-}" == --check ]] && check=1 && shift
groups=("$@")
((${#groups[@]})) || groups=(build run package test fuzz)
list=deps
if [[ "${groups[*]}" == desktop-deps ]]; then
  list=desktop-deps
else
  for group in "${groups[@]}"; do
    case $group in
      build | run | package | test | fuzz) ;;
      *) echo "No group $group" >&2 && exit 2 ;;
    esac
  done
fi
((check)) || [[ "${SKIP_DEPS:-}" != 1 ]] || exit 0

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
  ((check)) && exit 1
  cat >&2 <<TEXT
Corkwallery does not know how to install packages on this system (${ids:-no /etc/os-release}).
To build and run it needs: a C++20 compiler, CMake 3.25 and Ninja, Qt 6.4 or later (Core, Gui,
Widgets, Svg, DBus, the Linguist tools, the X11 platform plugin, the image-format plugins, Qt's
translations), nlohmann-json 3.11, libwebp, libheif 1.15, libjxl 0.7, the xcb, xcb-shape and
xcb-xfixes headers, and for the demo without a display Xvfb, openbox, xcompmgr, trayer, xdotool
and ImageMagick. For the tests also: GoogleTest with GoogleMock, Google Benchmark, lcms2,
dbus-daemon, xdpyinfo, xprop, xwininfo, xev, xsetroot, wmctrl, xsm, xsettingsd, exiftool, DejaVu
fonts, djpeg, dwebp, webpmux, heif-enc, avifenc, cjxl, free ICC profiles (sRGB, grey, Adobe RGB),
appstream and man. packaging/debian-deps.txt lists Debian's names for them, by group.
Install them, then run again with SKIP_DEPS=1 (for example: SKIP_DEPS=1 make run).
TEXT
  exit 1
fi

# The packages of "$@" that are installed, one a line.
installed() {
  case $family in
    debian)
      dpkg-query -W -f='${Status} ${Package}\n' "$@" 2>/dev/null |
        awk '$3 == "installed" { print $4 }'
      ;;
    fedora) for pkg; do rpm -q --whatprovides "$pkg" >/dev/null 2>&1 && echo "$pkg"; done ;;
    arch) for pkg; do pacman -Q "$pkg" >/dev/null 2>&1 && echo "$pkg"; done ;;
  esac
  return 0
}
file=$here/packaging/$family-$list.txt
if [[ ! -f $file ]]; then
  ((check)) && exit 1
  echo "No list of $list for $family: install them by hand, or their journeys are skipped." >&2
  exit 0
fi
wanted=()
group=''
while read -r line; do
  if [[ "$line" == \#* ]]; then
    # "# run: ..." or "# test" starts a group; other comments go on with the one before.
    word=${line#\#} word=${word# } word=${word%%[: ]*}
    case $word in build | run | package | test | fuzz) group=$word ;; esac
    continue
  fi
  [[ -z "$line" ]] && continue
  [[ -n $group || $list == desktop-deps ]] || { echo "$file: $line is in no group" >&2 && exit 1; }
  [[ $list == desktop-deps || " ${groups[*]} " == *" $group "* ]] || continue
  wanted+=("$line")
done <"$file"
((${#wanted[@]})) || exit 0
declare -A present
while read -r pkg; do present[$pkg]=1; done < <(installed "${wanted[@]}")
missing=()
for pkg in "${wanted[@]}"; do [[ -v present[$pkg] ]] || missing+=("$pkg"); done
((check)) && exit $((${#missing[@]} > 0))
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
