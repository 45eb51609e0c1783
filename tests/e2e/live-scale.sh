#!/usr/bin/env bash
# The scale changed while the program runs, as a desktop's settings daemon does it: Xft/DPI
# through XSETTINGS (xsettingsd), in a burst. Every pin keeps its centre and size in points and is
# placed again at the new pixel ratio, the photo decoded finer and drawn sharp; a pin the new
# screen leaves out is brought in once, after the burst (its return: e2e.monitors); a pin the
# burst's middle would have left out stays where it is. Nothing is saved.
# Usage: live-scale.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
command -v xsettingsd >/dev/null || { echo "needs xsettingsd"; exit 77; }
source "$(dirname "$0")/session.sh"

# Photo A: one-pixel columns, black and white, which only a decode at twice its size keeps apart.
two_pins xc: xc:'#30a060' && photo A-left.png xc: -fx 'i % 2'
# Sets Xft/DPI to $1 (96 is a scale of 1).
dpi() { echo "Xft/DPI $(($1 * 1024))" >"$work/xsettings" && kill -HUP "$xsettingsd"; }
echo "Xft/DPI $((96 * 1024))" >"$work/xsettings"
xsettingsd -c "$work/xsettings" >"$work/xsettingsd.log" 2>&1 & xsettingsd=$!

start_app
poll window_centred_at 400 450 && poll window_centred_at 1040 450 || fail "the photos did not show"
before=$(saves)

# A burst: scale 2, where B would be left out, then at once 1.5, where it shows enough.
dpi 192 && sleep 0.1 && dpi 144
# At 1.5 the screen is 960 x 600 points; A's centre, (400, 450) from the bottom, is at
# (600, 225) in pixels, the window 352 x 270 points large.
poll window_where "(WIDTH - 528) ** 2 <= 1 && (HEIGHT - 405) ** 2 <= 1" || fail "A was not placed again at scale 1.5"
screenshot scale-1.5
window_centred_at 600 225 500 >/dev/null || fail "A is not at its centre at scale 1.5"
(($(logged "Brought pin") == 0 && $(saves) == before)) || fail "the burst moved or saved pins"

# Scale 2 (720 x 450 points): A's centre is at the top edge, (800, 0); B comes back once.
dpi 192
poll window_where "WIDTH == 704 && HEIGHT == 540" || fail "A was not placed again at scale 2"
poll eval '(($(logged "Brought pin") == 1))' || fail "B was not brought in"
screenshot scale-2
window_centred_at 800 0 600 >/dev/null || fail "A is not at its centre at scale 2"
sharp "$shots/scale-2.png" 700 80 || fail "A is not sharp at scale 2"

# Back to 1: A at its place in points, nothing saved.
dpi 96
poll window_centred_at 400 450 || fail "A is not back at scale 1"
screenshot scale-1
(($(logged "Brought pin") == 1 && $(saves) == before)) || fail "a change of scale saved pins"
stop_app
echo "PASS"
