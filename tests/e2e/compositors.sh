#!/usr/bin/env bash
# A pin over a light desktop with and without a compositor, under openbox's stock configuration.
# With xcompmgr the photo casts its own soft shadow; without a compositor the window is cut to
# what it draws and shows no near-black pixel; with a shadowing compositor (xcompmgr -c, which
# started before the window) there is no dark band around the window beyond the photo's own shadow.
# The pin is a desktop window; a click on its transparent corner or margin reaches the window below,
# one on the photo does not, and the pin never becomes the active window.
# Usage: compositors.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

# Compositors paint the desktop grey when no picture is set; without one it shows this colour.
xsetroot -solid '#e8e4dc' || fail "xsetroot failed"
mkdir -p "$work/data/Corkwallery/images"
convert -size 300x200 gradient:'#f4d35e-#ee964b' "$work/data/Corkwallery/images/P.png"
echo '[{"storedFilename":"P.png","originalPath":"","centerX":720,"centerY":450,"baseWidth":300,"baseHeight":200,"rotationAngle":0.1,"pinColorName":"blue","isLocked":false}]' \
  >"$work/data/Corkwallery/pinned-photos.json"

start_app
poll window_centred_at 720 450 200 || fail "no pin at the screen's centre"
# The window: the frame of 319 x 247 and the margin around it.
read -r X Y W H pin <<<"$(window_centred_at 720 450 200)"

# The grey level (0 to 1) of the darkest pixel in a rectangle of a screenshot.
darkest() { convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format '%[fx:minima]' info:; }
# Whether grey level $1 is below $2 by more than $3.
below_by() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a < b - d) }'; }
# Just below the middle of the photo's bottom edge ((720, 459) + (10, 99.5): turned by 0.1), and
# the desktop.
shadow_and_desktop() {
  below=$(darkest "$1" 3 3 729 561)
  desktop=$(darkest "$1" 3 3 100 800)
}

screenshot compositor
shadow_and_desktop compositor
below_by "$below" "$desktop" 0.03 || fail "no shadow below the photo: $below against $desktop"
below_by "$below" "$desktop" 0.3 && fail "the shadow is too dark: $below against $desktop"
# The window's corner, far from the photo, shows the desktop.
below_by "$(darkest compositor 8 8 "$X" "$Y")" "$desktop" 0.01 && fail "the window's corner is dark"

# Without a compositor: cut to the photo and its pin, every pixel in the window's rectangle either
# the desktop or the photo and pin in their own colours.
stop_pid "$compositor"
shaped() { xwininfo -shape -id "$pin" | grep -q "Window shape extents"; }
poll shaped || fail "no window shape without a compositor"
screenshot no-compositor
below_by "$(darkest no-compositor "$W" "$H" "$X" "$Y")" 0.2 0 &&
  fail "a near-black pixel in the pin's window"
shadow_and_desktop no-compositor
[[ $below == "$desktop" ]] || fail "a shadow without a compositor: $below against $desktop"

# A compositor that draws shadows of its own draws none around the window, whether it came
# while the program ran or was there before.
xcompmgr -c >/dev/null 2>&1 & pids+=($!)
unshaped() { ! shaped; }
poll unshaped || fail "the shape stayed after the compositor came back"
stop_app
start_app
poll window_centred_at 720 450 200 || fail "no pin under xcompmgr -c"
screenshot shadowing-compositor
shadow_and_desktop shadowing-compositor
below_by "$below" "$desktop" 0.03 || fail "no shadow below the photo under xcompmgr -c"
# Bands 12 pixels wide along the window's edges outside it, and 8 wide inside: the desktop's grey
# once the program has settled its window (it changes its size once after the map, see the code).
no_dark_band() {
  local band
  import -window root "$shots/shadowing-compositor.png" || return 1
  for band in "$W 12 $X $((Y - 12))" "$W 12 $X $((Y + H))" "12 $H $((X - 12)) $Y" \
    "12 $H $((X + W)) $Y" "$W 8 $X $Y" "$W 8 $X $((Y + H - 8))" "8 $H $X $Y" "8 $H $((X + W - 8)) $Y"; do
    below_by "$(darkest shadowing-compositor $band)" "$desktop" 0.01 && return 1
  done
  return 0
}
poll no_dark_band || fail "a dark band around the window under xcompmgr -c (see the screenshot)"
stop_app

# Another program's window below the pin records the clicks it gets.
stdbuf -oL xev -geometry 500x400+470+250 -event button >"$work/below.log" 2>&1 & pids+=($!)
below() { xdotool search --onlyvisible --name "Event Tester" | head -n1; }
poll below || fail "no window below"
wmctrl -i -r "$(below)" -b add,below
xdotool windowmove "$(below)" 470 250
start_app
poll window_centred_at 720 450 200 || fail "no pin over the window below"
read -r _ _ _ _ pin <<<"$(window_centred_at 720 450 200)"
desktop_window "$pin"
got_click() { grep -q "root:($1,$2)" "$work/below.log"; }
xdotool mousemove 720 470 click 1                        # the photo
xdotool mousemove 566 333 click 1                        # the frame's transparent corner
poll got_click 566 333 || fail "a click on the transparent corner did not go through"
xdotool mousemove 556 323 click 1                        # the drawing margin
poll got_click 556 323 || fail "a click on the drawing margin did not go through"
got_click 720 470 && fail "a click on the photo went through"
[[ $(xprop -root _NET_ACTIVE_WINDOW) == *"$(printf '0x%x' "$pin")"* ]] && fail "the pin became active"
window_centred_at 720 450 200 >/dev/null || fail "the pin moved"
stop_app
echo "PASS"
