#!/usr/bin/env bash
# The program as a native Wayland client on headless sway (pixman renderer, outputs of 1440 x 900
# in a row, swaybar at the top): pins are layer surfaces at their saved places, tilted with clean
# corners, below a tiled terminal and never tiled; a click leaves the keyboard where it was; a drag
# and a Shift-drag are saved exactly, a drag past the output's edge moves the pin onto the next
# output, the pin's own menu locks it. With two outputs the bar has no tray and the corner card
# stands in. Pointer and keys come from wayland_input.py, a virtual pointer and keyboard.
# Skipped (77) where sway is missing, and as root, which sway refuses.
# Usage: sway.sh <corkwallery binary> <folder for screenshots> <outputs: 1 or 2>
set -uo pipefail
bin=$1 shots=$2 outputs=$3
source "$(dirname "$0")/sway-session.sh"

# Two pins: A red at (400, 450), B green at (1040, 450) and turned, in X's coordinates (y up in
# the file: the same numbers on a 900-point screen).
photo A.png xc:red && photo B.png xc:green
A=$(record A.png 400 450) B=$(record B.png 1040 450 0.05 blue)
pinned "$A" "$B"

start_app
poll shows restored 400 460 "$red" && poll shows restored 1040 470 "$green" ||
  fail "pins not shown at their places: $(pixel 400 460) $(pixel 1040 470)"
# Clean corners: B's window reaches about 17 points past its turned photo's bounds, and shows the
# wallpaper there (at most a trace of the shadow).
near "$(pixel 871 328)" $wallpaper && near "$(pixel 1209 572)" $wallpaper ||
  fail "B's window corners are not clear: $(pixel 871 328) $(pixel 1209 572)"
if ((outputs == 2)); then
  # A bar without a tray: the corner card stands in, at the top right of the area swaybar leaves
  # free, not under the bar (a panel's tray: e2e.first-launch).
  poll shows corner-card 1405 58 27,36,43 && near "$(pixel 1405 26)" $wallpaper ||
    fail "no corner card below swaybar: $(pixel 1405 58) $(pixel 1405 26)"
fi

# Nothing of the program is in sway's tree: no tile, no floating window.
swaymsg focus output HEADLESS-1 >/dev/null
foot -e sleep 600 >/dev/null 2>&1 &
poll eval 'swaymsg -t get_tree | jq -e "[.. | .app_id? | select(. == \"foot\")] | length == 1"' ||
  fail "the terminal did not open"
tiled=$(swaymsg -t get_tree | jq -c '[.. | select(.type? == "con" or .type? == "floating_con") | .app_id]')
[[ $tiled == '["foot"]' ]] || fail "sway manages more than the terminal: $tiled"
# The terminal covers the pins.
poll eval 'shot below-terminal && ! near "$(pixel 400 460)" $red' ||
  fail "pin A shows through the terminal"
# A click on a pin beside the terminal leaves the keyboard with the terminal.
focused() { swaymsg -t get_tree | jq -e '[.. | select(.focused? == true) | .app_id] == ["foot"]'; }
swaymsg '[app_id=foot] floating enable, resize set 400 300, move position 1000 560' >/dev/null
poll eval 'shot beside-terminal && near "$(pixel 400 460)" $red' || fail "pin A is not beside the terminal"
point at 400 460 press release pause 200
poll focused || fail "the click on pin A took the keyboard from the terminal"

# A drag from B's transparent corner reaches no pin (the input region); then a drag of A by
# (+100, +40) and a Shift-drag of 40 points, each saved exactly.
point at 871 328 press by 30 30 by 30 30 release
after_save point at 400 450 press by 10 0 by 10 0 by 10 0 by 10 0 by 60 40 pause 100 release
saved "$(sed 's/"centerX":400,"centerY":450/"centerX":500,"centerY":410/' <<<"$A")" \
  "the drag did not save pin A at (500, 410)"
saved "$B" "the drag from B's transparent corner moved B"
after_save point at 500 490 shift press by 20 0 by 20 0 pause 100 release unshift
saved '"A.png",[^}]*"centerX":500,"centerY":410,"baseWidth":360,"baseHeight":240' \
  "the Shift-drag did not resize pin A about its centre"
poll shows dragged 500 490 "$red" || fail "pin A is not shown where it was dragged"

# Its own menu: "Lock Photo" first; a locked pin stays where it is.
after_save point at 500 500 right-click pause 300 down return
saved '"A.png",[^}]*"isLocked":true' "the menu did not lock pin A"
after_save point at 500 500 press by 50 50 release
saved '"A.png",[^}]*"centerX":500,"centerY":410' "the locked pin moved"

if ((outputs == 2)); then
  # B dragged past the edge: its centre crosses onto the second output, whose own surface shows it.
  after_save point at 1040 450 press $(for i in {1..20}; do echo by 25 0; done) pause 100 release
  saved '"B.png",[^}]*"centerX":1540,"centerY":450' "pin B was not saved at (1540, 450)"
  poll shows second-output 1540 470 "$green" || fail "pin B is not shown on the second output"
fi
stop_app
echo "PASS"
