#!/usr/bin/env bash
# A pin over a light desktop, under openbox's stock configuration. It is a desktop window; a click
# on its transparent corner reaches the window below, one on the photo does not (desktops.sh
# checks that a clicked photo never becomes the active window). With xcompmgr the photo casts its
# own soft shadow; without a compositor the window is cut to what it draws, without a shadow or a
# near-black pixel. Under a compositor that draws shadows of its own (xcompmgr -c, picom), which
# the running program follows and which was there before the window, there is no dark band around
# the window. Files dragged from a file manager onto the pin, two pictures (one with a space and a
# byte that is no UTF-8 in its name), become two pins side by side near the drop point, clear of
# the pin, and are saved. The drag is our own source's (drag_source), as xdotool cannot drag
# files.
# Usage: compositors.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
#        <stand-in services> <drag source>
source "$(dirname "$0")/session.sh"
drag_source=$5

# Compositors paint the desktop grey when no picture is set; without one it shows this colour.
xsetroot -solid '#e8e4dc' || fail "xsetroot failed"
photo P.png gradient:'#f4d35e-#ee964b' && pinned "$(record P.png 720 450 0.1 blue)"
# The pin's window $pin at X Y W H: the frame of 319 x 247 and the margin around it.
find_pin() { local at && at=$(window_centred_at 720 450 200) && read -r X Y W H pin <<<"$at"; }
shaped() { xwininfo -shape -id "$pin" | grep -q "Window shape extents"; }
# The grey level (0 to 1) of the darkest pixel in a rectangle (w h x y) of a screenshot.
darkest() { convert "$shots/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format '%[fx:minima]' info:; }
# Whether grey level $1 is below $2 by more than $3.
below_by() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a < b - d) }'; }
# Just below the middle of the photo's bottom edge ((720, 459) + (10, 99.5): turned by 0.1), and
# the desktop.
shadow_and_desktop() { shadow=$(darkest "$1" 3 3 729 561) desktop=$(darkest "$1" 3 3 100 800); }

# A desktop window below the pin records the clicks it gets.
stdbuf -oL xev -geometry 500x400+470+250 -event button >"$work/below.log" 2>&1 & xev=$!
below() { xdotool search --onlyvisible --name "Event Tester" | head -n1; }
poll below || fail "no window below"
# Made a desktop window, as a file manager's desktop is, which the pin stands above.
xprop -id "$(below)" -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DESKTOP
xdotool windowunmap --sync "$(below)" windowmap --sync "$(below)" windowmove "$(below)" 470 250
start_app
poll find_pin || fail "no pin at the screen's centre"
desktop_window "$pin"
got_click() { grep -q "root:($1,$2)" "$work/below.log"; }
xdotool mousemove 720 470 click 1 mousemove 566 333 click 1  # the photo, the frame's corner
poll got_click 566 333 || fail "a click on the transparent corner did not go through"
got_click 720 470 && fail "a click on the photo went through"
kill "$xev"
poll eval '[[ -z $(below) ]]' || fail "the window below stayed"

screenshot compositor
shadow_and_desktop compositor
below_by "$shadow" "$desktop" 0.03 || fail "no shadow below the photo: $shadow against $desktop"

# Without a compositor: cut to the photo and its pin, every pixel in the window's rectangle either
# the desktop or the photo and pin in their own colours.
kill "$compositor"
poll shaped || fail "no window shape without a compositor"
screenshot no-compositor
below_by "$(darkest no-compositor "$W" "$H" "$X" "$Y")" 0.2 0 && fail "a near-black pixel"
shadow_and_desktop no-compositor
[[ $shadow == "$desktop" ]] || fail "a shadow without a compositor: $shadow against $desktop"

# Bands 12 pixels wide along the window's edges outside it, and 8 wide inside: the desktop's grey
# once the program has settled its window (it changes its size once after the map).
no_dark_band() {
  local band
  find_pin && import -window root "$shots/$1.png" || return 1
  shadow_and_desktop "$1"
  for band in "$W 12 $X $((Y - 12))" "$W 12 $X $((Y + H))" "12 $H $((X - 12)) $Y" \
    "12 $H $((X + W)) $Y" "$W 8 $X $Y" "$W 8 $X $((Y + H - 8))" "8 $H $X $Y" "8 $H $((X + W - 8)) $Y"; do
    below_by "$(darkest "$1" $band)" "$desktop" 0.01 && return 1
  done
  return 0
}
for shadowing in "xcompmgr -c" "picom -c --backend xrender --config /dev/null"; do
  $shadowing >/dev/null 2>&1 & compositor=$!
  poll eval '! shaped' || fail "the shape stayed when $shadowing came"
  stop_app
  start_app  # its window made under the compositor
  poll no_dark_band "shadowing-${shadowing%% *}" || fail "a dark band under $shadowing"
  kill "$compositor"
  poll shaped || fail "no window shape when $shadowing went"
done

odd=$work/drop/$'\xe9t\xe9 2024'.png
mkdir -p "$work/drop" && convert -size 800x600 gradient:'#ffcc66-#3366aa' "$odd" &&
  convert -size 800x600 plasma:fractal "$work/drop/forest.jpg" || fail "no test photos"
"$drag_source" "$odd" "$work/drop/forest.jpg" >"$work/drag.log" 2>&1 &
source_window() { xdotool search --onlyvisible --name '^corkwallery-drag-source$' | head -n1; }
poll source_window || fail "no drag source"
eval "$(xdotool getwindowgeometry --shell "$(source_window)")"
# Pressed on the source and, once the drag holds the pointer, carried to the pin's centre; let go
# once the pin takes the copy. The source tells the pin where the pointer is only after the pin
# answered the last place, so the drop may land short of the centre.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) mousedown 1
poll grep -q dragging "$work/drag.log" || fail "the drag did not start: $(cat "$work/drag.log")"
xdotool $(moves $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) $((720 - X - WIDTH / 2)) $((450 - Y - HEIGHT / 2)) 20)
poll grep -q "over Qt::CopyAction" "$work/drag.log" || fail "the pin did not take the drag: $(cat "$work/drag.log")"
before=$(saves)
xdotool mouseup 1
poll grep -q "dropped Qt::CopyAction" "$work/drag.log" || fail "the drop was not copied: $(cat "$work/drag.log")"
poll eval '(($(saves) >= before + 2))' || fail "the dropped photos were not saved"
# Where the pin was told the pointer was last: on the pin (300 x 200 about (720, 450)).
read -r x y <<<"$(sed -n 's/^\[Corkwallery\] Dropped 2 item(s) at (\([0-9]*\)\.0, \([0-9]*\)\.0)$/\1 \2/p' "$work/app.log")"
[[ -n $y ]] && ((x > 570 && x < 870 && y > 350 && y < 550)) || fail "no drop on the pin"
# 300 x 225 each, 32 points apart, side by side, moved from the drop point to the nearest place
# where neither covers the pin they fell on (its frame 319 x 247 about (720, 450)).
read -r l y r ry <<<"$(state | grep -o '"centerX":[-0-9.]*,"centerY":[-0-9.]*' | tail -n2 | tr -c '0-9.\n-' ' ' | xargs)"
awk -v l="$l" -v r="$r" -v y="$y" -v ry="$ry" 'function clear(c) {
  return (c - 720) ^ 2 >= 326 ^ 2 || (y - 450) ^ 2 >= 252 ^ 2 }
  BEGIN { exit !(r - l == 332 && y == ry && clear(l) && clear(r)) }' ||
  fail "the dropped photos are not side by side clear of the pin: $(state)"
for c in $l $r; do
  poll window_centred_at "${c%.*}" $((900 - ${y%.*})) || fail "no pin window at ($c, $y)"
done
screenshot drop
stop_app
echo "PASS"
