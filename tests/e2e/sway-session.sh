# What the sway journeys share, sourced with $bin, $shots and $outputs (1 or 2) set: journey.sh,
# headless sway (pixman renderer, outputs of 1440 x 900 in a row, a blue-grey wallpaper, swaybar at
# the top, without a tray when there are two outputs), its socket exported, the pointer and keys
# (wayland_input.py), screenshots and their pixels. Skipped (77) where sway is missing, and as
# root, which sway refuses.
for needed in sway swaybar swaybg foot grim convert dbus-run-session jq; do
  command -v "$needed" >/dev/null || { echo "needs $needed"; exit 77; }
done
python3 -c 'import pywayland' 2>/dev/null || { echo "needs python3-pywayland"; exit 77; }
(($(id -u) != 0)) || { echo "sway does not run as root"; exit 77; }
source "$(dirname "$0")/journey.sh"
mkdir -p "$shots"
export XDG_RUNTIME_DIR=$work/runtime  # sway's socket, where the program looks for it

# Sway with a blue-grey wallpaper; a terminal opened on workspace 1 is tiled over all of it.
cat >"$work/sway-config" <<CONFIG
xwayland disable
output HEADLESS-1 resolution 1440x900 position 0 0 bg #5a7890 solid_color
output HEADLESS-2 resolution 1440x900 position 1440 0 bg #5a7890 solid_color
bar {
  position top
  status_command while echo corkwallery; do sleep 600; done
  $( ((outputs == 1)) || echo tray_output none)
}
CONFIG
WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=$outputs WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway -c "$work/sway-config" >"$work/sway.log" 2>&1 &
poll eval 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*' || fail "sway did not start"
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*) WAYLAND_DISPLAY=wayland-1
export SWAYSOCK WAYLAND_DISPLAY
unset DISPLAY QT_QPA_PLATFORM
layout=$((1440 * outputs))x900

point() { "$(dirname "$0")/wayland_input.py" "$work/py" --layout "$layout" "$@" ||
  fail "point $*"; }

# Screenshot $1 of the whole layout (or, given grim's "-o NAME" after it, of one output); the
# colour of pixel ($2, $3) of the last one, as "r,g,b".
shot() { last=$shots/${journey:-sway-$outputs}-$1.png && grim "${@:2}" "$last"; }
pixel() {
  local channel format=''
  for channel in r g b; do format+="%[fx:round(255*p{$1,$2}.$channel)],"; done
  convert "$last" -format "${format%,}" info:
}
# Holds when colours $1 and $2 differ by at most 6 levels in each channel (a restored photo is
# read from its lossy preview).
near() {
  local a b i
  IFS=, read -ra a <<<"$1" && IFS=, read -ra b <<<"$2"
  for i in 0 1 2; do ((${a[i]} - ${b[i]} <= 6 && ${b[i]} - ${a[i]} <= 6)) || return 1; done
}
# Holds when pixel ($2, $3) of a new screenshot $1 is near $4.
shows() { shot "$1" && near "$(pixel "$2" "$3")" "$4"; }
red=255,0,0 green=0,128,0 wallpaper=90,120,144
