#!/usr/bin/env bash
# `make test-debian13`: builds Corkwallery inside a Debian 13 root and runs its unit, offscreen and
# Wayland tests there, as a user (sway refuses root). The root is made once under build-debian13/
# (mmdebstrap or debootstrap, from the archive apt uses here) with packaging/debian13-root-deps.txt,
# and reused; packages added to that list later are installed into it. The sources are seen read-
# only; the build lives inside the root. Needs root, or sudo, for the chroot.
# SKIP_DEBIAN13=1 skips it. `scripts/debian13.sh run <command>...` runs a command there instead;
# `scripts/debian13.sh desktops` installs packaging/debian13-root-desktop-deps.txt (KWin) too and
# runs the journeys labelled desktops-heavy.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
[[ "${SKIP_DEBIAN13:-}" == 1 ]] && exit 0
if [[ $(id -u) -ne 0 ]]; then
  exec sudo --preserve-env=CTEST_ARGS,DEBIAN13_MIRROR "$0" "$@"
fi

top=$here/build-debian13
root=$top/root
list=$here/packaging/debian13-root-deps.txt
user=builder
# The packages list $1 names, on one line.
listed() { grep -v -E '^\s*(#|$)' "$1" | tr '\n' ' '; }
packages=$(listed "$list")

# The Debian archive apt uses here: the first one-line or deb822 source that is not the security
# archive.
mirror() {
  [[ -n "${DEBIAN13_MIRROR:-}" ]] && { echo "$DEBIAN13_MIRROR"; return; }
  local found
  found=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^https?:/) { print $i; exit } }' |
    grep -v -- '-security' | head -n1 || true)
  [[ -z "$found" ]] && found=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '/^URIs:/ { print $2 }' | grep -v -- '-security' | head -n1 || true)
  echo "${found:-http://deb.debian.org/debian}"
}

make_root() {
  local archive partial=$top/root.partial
  archive=$(mirror)
  echo "Making a Debian 13 root in $root from $archive (once; a few minutes)"
  rm -rf "$partial"
  mkdir -p "$top"
  if command -v mmdebstrap >/dev/null; then
    mmdebstrap --quiet --variant=apt --aptopt='APT::Install-Recommends "false"' \
      --include="${packages// /,}" trixie "$partial" "$archive"
  elif command -v debootstrap >/dev/null; then
    debootstrap --variant=minbase trixie "$partial" "$archive"
    inside_root "$partial" apt-get install -y -qq --no-install-recommends $packages
  else
    echo "Neither mmdebstrap nor debootstrap is installed: cannot make the Debian 13 root." >&2
    exit 1
  fi
  echo "$packages" >"$partial/.corkwallery-debian13-root-deps"
  mv "$partial" "$root"
}

# Runs a command inside `root` in a mount and process namespace of its own: whatever it mounts or
# starts goes when it ends.
inside_root() {
  local dir=$1
  shift
  cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
  mkdir -p "$dir/src"
  unshare --mount --pid --fork --propagation private -- bash -euo pipefail -c '
    dir=$1 src=$2; shift 2
    mount -t proc proc "$dir/proc"
    mount --rbind /dev "$dir/dev"
    mount -t sysfs sys "$dir/sys"
    mount -t tmpfs -o mode=1777 tmp "$dir/tmp"
    mount -t tmpfs -o mode=755 run "$dir/run"
    mount --bind "$src" "$dir/src"
    mount -o remount,bind,ro "$dir/src"
    exec chroot "$dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"' \
    _ "$dir" "$here" "$@"
}

[[ -d "$root" ]] || make_root
# Installs what list $1 holds into the root, unless it did so already.
install_list() {
  local wanted stamp=$root/.corkwallery-$(basename "$1" .txt)
  wanted=$(listed "$1")
  [[ "$(cat "$stamp" 2>/dev/null)" == "$wanted" ]] && return
  echo "Installing the Debian 13 root's new packages ($(basename "$1"))"
  inside_root "$root" sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "$@"' _ $wanted >"$top/apt.log" 2>&1 ||
    { cat "$top/apt.log" >&2; exit 1; }
  echo "$wanted" >"$stamp"
}
install_list "$list"
[[ "${1:-}" != desktops ]] || install_list "$here/packaging/debian13-root-desktop-deps.txt"

chroot "$root" id -u $user >/dev/null 2>&1 ||
  chroot "$root" useradd --create-home --shell /bin/bash $user
for locale in de_DE fr_FR; do
  chroot "$root" locale -a | grep -qx "$locale.utf8" ||
    chroot "$root" localedef -i $locale -f UTF-8 $locale.UTF-8
done

# As the user, with a runtime folder of its own as a login would give.
uid=$(chroot "$root" id -u $user)
if [[ "${1:-}" == run ]]; then
  shift
elif [[ "${1:-}" == desktops ]]; then
  set -- bash /src/scripts/debian13-inside.sh -L desktops-heavy ${CTEST_ARGS:-}
else
  set -- bash /src/scripts/debian13-inside.sh -LE 'slow|lint|desktops-heavy' ${CTEST_ARGS:-}
fi
inside_root "$root" sh -c 'uid=$1 home=$2 && shift 2 && runtime=/run/user-$uid &&
  mkdir -m 700 "$runtime" && chown "$uid" "$runtime" &&
  exec setpriv --reuid="$uid" --regid="$uid" --init-groups \
    env HOME="$home" USER=builder XDG_RUNTIME_DIR="$runtime" "$@"' _ "$uid" "/home/$user" "$@"
