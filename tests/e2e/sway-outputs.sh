#!/usr/bin/env bash
# Outputs come and go under the program on headless sway, its pins layer surfaces: a pin whose
# output is unplugged or disabled is shown on the other one, and goes back to its place once an
# output shows it again, a new one (create_output) or the same one enabled; nothing of that is
# saved. A scale change places the pins again in points, and a photo on a scale-2 output, at the
# origin or beside a scale-1 one there, is decoded finer and drawn sharp. A launch with one output
# shows the other's pin on it, and writes its place unchanged.
# Usage: sway-outputs.sh <corkwallery binary> <folder for screenshots>
set -uo pipefail
bin=$1 shots=$2 outputs=2 journey=sway-outputs
source "$(dirname "$0")/sway-session.sh"

# Two photos of one-pixel columns, black and white: grey when drawn at a scale of 1, sharp only
# when decoded for a scale of 2. A at (400, 450) on HEADLESS-1, B at (1840, 450) on
# HEADLESS-2.
photo A.png xc: -fx 'i % 2' && photo B.png xc: -fx 'i % 2'
pinned "$(record A.png 400 450)" "$(record B.png 1840 450)"

# Holds when pixel ($2, $3) of a new screenshot $1 (of output $4, if given) is a plain grey: a
# photo, neither the wallpaper nor an output's black.
photo_at() {
  local c
  shot "$1" ${4:+-o "$4"} && IFS=, read -ra c <<<"$(pixel "$2" "$3")" &&
    ((c[0] == c[1] && c[1] == c[2] && c[0] > 60))
}
# Holds when the log says $1 $2 times.
said() { (($(logged "$1") == $2)); }
# Runs swaymsg $1 and waits for the $3rd log line that says $2.
settle() {
  swaymsg "$1" >/dev/null && poll said "$2" "$3" || fail "after $1: $(logged "$2") of \"$2\", not $3"
}
# A new output (HEADLESS-3 the first time), put at ($1, 0).
new_output() {
  swaymsg create_output >/dev/null &&
    swaymsg output "$(swaymsg -t get_outputs | jq -r '.[-1].name')" pos "$1" 0 res 1440x900 >/dev/null
}

start_app
poll photo_at launched 400 460 && poll photo_at launched 1840 460 ||
  fail "pins not shown at their places: $(pixel 400 460) $(pixel 1840 460)"
before=$(state)

# Unplugged, B comes onto HEADLESS-1; a new output shows its place again.
settle "output HEADLESS-2 unplug" "Brought pin 1" 1
read -r x y <<<"$(brought_at 1)"
((x < 1440)) && poll photo_at unplugged "$x" "$((y + 10))" || fail "B not brought in at ($x, $y)"
new_output 1440 && poll said "Returned pin 1" 1 || fail "B did not return to HEADLESS-3"
poll photo_at new-output 1840 460 || fail "B not shown on HEADLESS-3: $(pixel 1840 460)"
# Disabled and enabled again: the same.
settle "output HEADLESS-3 disable" "Brought pin 1" 2
poll photo_at disabled "$x" "$((y + 10))" || fail "B not brought in again at ($x, $y)"
settle "output HEADLESS-3 enable" "Returned pin 1" 2
poll photo_at enabled 1840 460 || fail "B not back on HEADLESS-3: $(pixel 1840 460)"
[[ $(state) == "$before" ]] || fail "bringing B in and back was saved: $(state)"

# HEADLESS-3 at scale 2 in a mode twice as large, beside HEADLESS-1 at 1 at the origin: the same
# points, only a new pixel ratio; B is sharp there, A stays grey.
swaymsg output HEADLESS-3 res 2880x1800 scale 2 >/dev/null
poll eval 'shot beside-scale-1 -o HEADLESS-3 && sharp "$last" 700 920' ||
  fail "B is not sharp on a scale-2 output"
poll photo_at beside-scale-2 400 460 HEADLESS-1 || fail "A is not grey at scale 1: $(pixel 400 460)"
# HEADLESS-1 at scale 2, HEADLESS-3 at 1: A's centre, at HEADLESS-1's top edge, (400, 0) in its
# 720 x 450 points, shows A's lower half sharp, and B's centre, 450 up from HEADLESS-1's foot,
# is at HEADLESS-3's top edge.
swaymsg output HEADLESS-3 res 1440x900 scale 1 >/dev/null && swaymsg output HEADLESS-1 scale 2 >/dev/null
poll eval 'shot origin-scale-2 -o HEADLESS-1 && sharp "$last" 700 80' ||
  fail "A is not sharp at scale 2"
poll photo_at origin-scale-2-beside 400 40 HEADLESS-3 || fail "B is not at HEADLESS-3's top edge"
swaymsg output HEADLESS-1 scale 1 >/dev/null
poll photo_at scale-1 400 460 && poll photo_at scale-1 1840 460 ||
  fail "pins not back at scale 1: $(pixel 400 460) $(pixel 1840 460)"
(($(logged "Brought pin") == 2)) && [[ $(state) == "$before" ]] || fail "the scales moved or saved pins"

# A launch with HEADLESS-1 alone shows B on it, and saves its place unchanged.
stop_app
swaymsg output HEADLESS-3 unplug >/dev/null
start_app
poll said "Brought pin 1" 3 || fail "B was not brought in at the launch"
read -r x y <<<"$(brought_at 1)"
poll photo_at one-output "$x" "$((y + 10))" || fail "B not shown at ($x, $y) at the launch"
new_output 1440 && poll said "Returned pin 1" 3 && poll photo_at relaunch-back 1840 460 ||
  fail "B did not return to its place"
[[ $(state) == "$before" ]] || fail "the launch with one output changed the state: $(state)"
stop_app
echo "PASS"
