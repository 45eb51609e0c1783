#!/usr/bin/env bash
# Two saved pins on a real desktop (xfce, mate, openbox with pcmanfm and lxpanel, or i3): the
# photos show at their saved places; above the desktop window after a click on it; below an xterm
# moved over them; through Show Desktop and back, in place; on a second workspace. No window of
# the program ever demands attention or becomes the active window when clicked. A drag is saved
# exactly and quitting leaves the other pin's record byte for byte. i3 has no desktop window and no
# Show Desktop, and floats the photos above its tiled windows: those checks are left out there.
# i3 makes a clicked window the active one whatever it says of its input: that is not checked
# there. Every check runs; the journey fails at the end with those that did not hold. A screenshot per step goes to <folder>/<desktop>-<step>.png.
# Usage: desktops.sh <xfce|mate|openbox|i3|plasma|gnome> <corkwallery binary> <openbox rc file> <folder for screenshots>
[[ -v desktop ]] || { export desktop=$1; shift; }
source "$(dirname "$0")/session.sh"

two_pins xc:'#d03060' xc:'#30a060'

failed=()
# Runs check $1; one that does not hold is said and remembered, and the journey goes on.
check() { local what=$1; shift; "$@" || { echo "FAIL: $what"; failed+=("$what"); }; }
# No window of the program has asked for attention.
calm() {
  local id
  for id in $(xdotool search --pid "$app"); do
    xprop -id "$id" _NET_WM_STATE | grep -q DEMANDS_ATTENTION &&
      { echo "demands attention: $(xdotool getwindowgeometry "$id" | tr -s '\n ' ' ')"; return 1; }
  done
  return 0
}
# A screenshot named after the desktop and step, and the attention check at every step.
step() { shot=$desktop-$1; screenshot "$shot"; check "$1: no demand for attention" calm; }
# The last screenshot has colour $3 (RRGGBB) at ($1, $2).
shows() { [[ $(convert "$shots/$shot.png" -format "%[hex:p{$1,$2}]" info:) == "$3"* ]]; }
photos_show() { shows 400 450 D03060 && shows 1040 450 30A060; }
photos_placed() { window_centred_at 400 450 >/dev/null && window_centred_at 1040 450 >/dev/null; }
not_active() {
  local active=$(($(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' | head -n1)))
  ! xdotool search --pid "$app" | grep -qx "$active"
}
# The tray icon docked in the panel or the corner card (a small window of the program), or a
# StatusNotifier item that the panel's watcher lists.
tray_or_card() {
  window_where "WIDTH <= 64 && HEIGHT <= 64" ||
    bus org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
      string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems | grep -q 'string "'
}
# In the last screenshot, a corner of photo A's window, beside its shadow, shows what the desktop
# shows just outside the window (no channel 16 apart).
corner_clear() {
  local inside outside i
  inside=$(convert "$shots/$shot.png" -format '%[hex:p{226,317}]' info:)
  outside=$(convert "$shots/$shot.png" -format '%[hex:p{221,317}]' info:)
  for i in 0 2 4; do ((($((16#${inside:i:2})) - $((16#${outside:i:2}))) ** 2 < 256)) || return 1; done
}
showing() { xprop -root _NET_SHOWING_DESKTOP | grep -q "= $1"; }
# Switches to workspace $1 (0 is the first) and waits until it shows.
workspace() {
  if [[ $desktop == i3 ]]; then
    i3-msg -q workspace $(($1 + 1)) && poll eval "i3-msg -t get_workspaces | grep -q '\"num\":$(($1 + 1)),[^}]*\"visible\":true'"
  else
    wmctrl -s "$1" && poll eval "xprop -root _NET_CURRENT_DESKTOP | grep -q '= $1'"
  fi
}

start_app
poll_seconds=15 poll photos_placed
# gnome-shell shows a new window a moment after it stands on the screen, there and below.
shot=$desktop-1-start
poll_seconds=10 poll eval 'screenshot "$shot" && photos_show'
step 1-start
check "1: both photos at their saved places" photos_placed
check "1: both photos show" photos_show
poll tray_or_card
check "1: the tray icon docked or the corner card shown" tray_or_card
# KWin, compositing in software, clears a new window's transparent pixels a second late.
poll_seconds=5 poll eval 'screenshot "$shot" && corner_clear'
check "1: the desktop shows in a corner of photo A's window" corner_clear

if [[ $desktop != i3 ]]; then
  xdotool mousemove 1100 700 click 1
  step 2-desktop-clicked
  check "2: both photos show after a click on the desktop" photos_show

  # An xterm over photo A, its background where A's centre is; then a click on photo B.
  xterm -bg '#203040' -geometry 60x20+250+350 -e sleep 120 & xterm=$!
  over_a() {
    local X=0 Y=0 WIDTH=0 HEIGHT=0 SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --pid $xterm)")"
    ((X <= 400 && X + WIDTH > 400 && Y <= 450 && Y + HEIGHT > 450))
  }
  poll over_a || fail "the xterm did not come over photo A"
  shot=$desktop-3-xterm-over
  poll_seconds=10 poll eval 'screenshot "$shot" && shows 400 450 203040'
  step 3-xterm-over
  check "3: the xterm covers photo A" shows 400 450 203040
  check "3: photo B shows beside the xterm" shows 1040 450 30A060
fi
xdotool mousemove 1040 450 click 1
step 6-photo-clicked
# i3 makes a clicked floating window the active one, whatever the window says of its input.
[[ $desktop == i3 ]] || check "6: a clicked photo is not the active window" not_active
[[ -v xterm ]] && kill "$xterm" && wait "$xterm"

if [[ $desktop != i3 ]]; then
  wmctrl -k on && poll showing 1 || fail "Show Desktop did not start"
  step 4-show-desktop
  check "4: both photos show during Show Desktop" photos_show
  wmctrl -k off && poll showing 0 || fail "Show Desktop did not end"
  step 4-show-desktop-off
  check "4: both photos show after Show Desktop" photos_show
  check "4: both photos in place after Show Desktop" photos_placed
fi

workspace 1 || fail "no second workspace"
step 5-workspace-2
check "5: both photos show on the second workspace" photos_show
workspace 0 || fail "not back on the first workspace"

# Photo A dragged by (+100, +60) in 20 moves lands exactly there; B's record stays as written.
after_save xdotool mousemove 400 460 mousedown 1 $(moves 400 460 100 60 20) mouseup 1
step 7-dragged
check "7: the drag is saved exactly" \
  grep -q '"A-left.png",[^}]*"centerX":500,"centerY":390,' <<<"$(state)"
check "7: photo A is where the drag ended" window_centred_at 500 510
stop_app
check "7: photo B's record is as written" grep -qF "{$B,\"isLocked\":false}" <<<"$(state)"
((${#failed[@]} == 0)) || fail "$desktop: ${#failed[@]} checks did not hold: $(printf '%s; ' "${failed[@]}")"
echo "PASS"
