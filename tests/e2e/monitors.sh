#!/usr/bin/env bash
# Monitors that come and go on Xorg (dummy driver): two 1440x900 monitors side by side, photo A on
# the left one, B on the right. A pin whose place no monitor shows is brought onto the nearest one
# and goes back when its place is shown again, saving nothing either way; a launch with the right
# monitor off shows B brought in and keeps its record; a drag of B while it is brought in gives it
# its new place. Two pins brought in at once land clear of each other and of A.
# Usage: monitors.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
command -v xrandr >/dev/null || { echo "needs xrandr"; exit 77; }
x_server=xorg
source "$(dirname "$0")/session.sh"

photo A.png xc:'#d03060' && photo B.png xc:'#30a060' && photo C.png xc:'#3060d0'
# The right monitor switched on, at the left one's right, or off.
right() {
  xrandr --output DUMMY1 $([[ $1 == off ]] && echo --off || echo --mode 1440x900 --pos 1440x0) ||
    fail "xrandr could not switch DUMMY1 $1"
}
# The photo (300 x 200 in the middle of its window) of pin $1 where the log last said it was
# brought in, wholly on the left monitor: its "x y w h".
on_left() {
  local x y
  read -r x y <<<"$(brought_at "$1")"
  [[ -n $x ]] && window_centred_at "$x" "$y" >/dev/null &&
    ((x >= 150 && x <= 1290 && y >= 100 && y <= 800)) && echo "$((x - 150)) $((y - 100)) 300 200"
}
# Nothing saved since and the state file as it was.
unchanged() {
  (($(saves) == saved_count)) || fail "$1 saved: $(tail -n 5 "$work/app.log")"
  [[ $(state) == "$kept" ]] || fail "$1 changed the state file: $(state)"
}
keep() { kept=$(state) saved_count=$(saves); }

pinned "$(record A.png 700 450)" "$(record B.png 2100 450)"
start_app
poll window_centred_at 700 450 && poll window_centred_at 2100 450 || fail "the photos did not show"
keep

right off
poll on_left 1 || fail "B was not brought onto the left monitor"
window_centred_at 700 450 >/dev/null || fail "A moved"
screenshot unplugged
unchanged "bringing B in"
right on
poll window_centred_at 2100 450 && poll eval '(($(logged "Returned pin 1 to its place") == 1))' ||
  fail "B did not return to its place"
screenshot replugged
unchanged "returning B"

# A launch without the right monitor shows B brought in and keeps its record; B returns when it
# comes.
stop_app
right off
start_app
poll on_left 1 || fail "B was not brought in at a launch without its monitor"
[[ $(state) == "$kept" ]] || fail "the launch saved B's brought place: $(state)"
saved_count=$(saves)
right on
poll window_centred_at 2100 450 && poll eval '(($(logged "Returned pin 1 to its place") == 2))' ||
  fail "B did not return when its monitor came"
unchanged "the launch or docking"

# Dragged while brought in, by (-200, +100): its new place is where it was shown, moved so.
right off
poll on_left 1 && read -r X Y _ <<<"$(on_left 1)" || fail "B was not brought in again"
x=$((X + 150)) y=$((Y + 100))
after_save xdotool mousemove $x $y mousedown 1 $(moves $x $y -200 100 20) mouseup 1
poll window_centred_at $((x - 200)) $((y + 100)) || fail "B is not where the drag ended"
saved "\"B.png\",[^}]*\"centerX\":$((x - 200)),\"centerY\":$((800 - y))," "the drag was not saved"
screenshot dragged
stop_app

# B and C, near each other on the right monitor, brought in together: their photos land clear of
# each other and of A's.
right on
pinned "$(record A.png 700 450)" "$(record B.png 2100 450)" "$(record C.png 2500 420)"
start_app
poll window_centred_at 2500 480 || fail "C did not show"
keep
right off
poll on_left 1 && poll on_left 2 || fail "B and C were not brought in"
screenshot brought-together
# Rectangles $1..$4 and $5..$8 (x y w h) meet.
meet() { (($1 < $5 + $7 && $5 < $1 + $3 && $2 < $6 + $8 && $6 < $2 + $4)); }
b=$(on_left 1) c=$(on_left 2) a="550 350 300 200"
! meet $b $c && ! meet $b $a && ! meet $c $a || fail "photos brought in onto others: B $b, C $c, A $a"
unchanged "bringing B and C in"
stop_app
echo "PASS"
