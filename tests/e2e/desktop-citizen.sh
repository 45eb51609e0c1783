#!/usr/bin/env bash
# The program as a citizen of an X11 desktop: its cards and pins sit below other windows, on every
# workspace, out of the taskbar and pager, and never take the focus; a click on a pin's transparent
# corner reaches the window below; without a tray the corner card stands in.
# Usage: desktop-citizen.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

# The recipe for every desktop-level window of the program.
desktop_window() {
  local id=$1 states
  states=$(xprop -id "$id" _NET_WM_STATE _NET_WM_DESKTOP WM_HINTS _NET_WM_WINDOW_TYPE)
  for state in SKIP_TASKBAR SKIP_PAGER BELOW; do
    grep -q "_NET_WM_STATE_$state" <<<"$states" || fail "window $id lacks $state: $states"
  done
  grep -q "_NET_WM_DESKTOP(CARDINAL) = 4294967295" <<<"$states" || fail "$id: not on all desktops"
  grep -q "input focus: False" <<<"$states" || fail "window $id accepts the focus"
  grep -q "TYPE_DESKTOP\|TYPE_DOCK\|TYPE_UTILITY" <<<"$states" && fail "$id: wrong type: $states"
  xwininfo -id "$id" | grep -q "Override Redirect State: no" || fail "$id is override-redirect"
}

start_app
poll window_centred_at 720 450 || fail "no welcome card"
read -r card _ <<<"$(window_centred_at 720 450)"
desktop_window "$card"
stop_app

# One pin, 300 x 200 tilted by 0.1 radians, centred on the screen, over another program's
# window that records the clicks it gets.
mkdir -p "$work/data/Corkwallery/images"
convert -size 300x200 gradient:'#f4d35e-#ee964b' "$work/data/Corkwallery/images/P.png"
echo '[{"storedFilename":"P.png","originalPath":"\/p.png","centerX":720,"centerY":450,"baseWidth":300,"baseHeight":200,"rotationAngle":0.1,"pinColorName":"blue","isLocked":false}]' \
  >"$work/data/Corkwallery/pinned-photos.json"
stdbuf -oL xev -geometry 500x400+470+250 -event button >"$work/below.log" 2>&1 & pids+=($!)
below() { xdotool search --onlyvisible --name "Event Tester" | head -n1; }
poll below || fail "no window below"
wmctrl -i -r "$(below)" -b add,below
xdotool windowmove "$(below)" 470 250

start_app
poll window_centred_at 720 450 200 || fail "no pin at the screen's centre"
read -r pin _ <<<"$(window_centred_at 720 450 200)"
desktop_window "$pin"
screenshot desktop-citizen

# The frame is 319 x 247 (the turned photo plus the pin's room): its top-left corner, and the
# drawing margin past it, are transparent.
got_click() { grep -q "root:($1,$2)" "$work/below.log"; }
xdotool mousemove 720 470 click 1                        # the photo
xdotool mousemove 720 470 mousedown 1 mousemove 700 460 mousemove 720 470 mouseup 1
xdotool mousemove 566 333 click 1                        # the frame's corner
poll got_click 566 333 || fail "a click on the transparent corner did not go through"
xdotool mousemove 556 323 click 1                        # the drawing margin
poll got_click 556 323 || fail "a click on the drawing margin did not go through"
got_click 720 470 && fail "a click on the photo went through"
active=$(xprop -root _NET_ACTIVE_WINDOW)
[[ $active == *"$(printf '0x%x' "$pin")"* ]] && fail "the pin became the active window"
window_centred_at 720 450 200 >/dev/null || fail "the pin moved"
stop_pid "$(started xev)"

# The tray goes: the corner card stands in, with the same recipe.
tray=$(started trayer) || fail "no tray pid"
stop_pid "$tray"
poll window_centred_at 1416 24 16 || fail "no corner card without a tray"
read -r corner_card _ <<<"$(window_centred_at 1416 24 16)"
desktop_window "$corner_card"
screenshot fallback-card

stop_app
echo "PASS"
