#!/usr/bin/env bash
# Gestures under openbox's stock configuration, where Alt+drag moves windows and resizing uses
# Shift. A quick Shift-resize out and back (one xdotool call of 20 moves) leaves the photo's centre
# exactly where it was, in the saved state too; openbox leaves Alt-drag on a desktop window to the
# program, which resizes about the centre as with Shift. "Lock Photo" from the photo's own menu
# stops dragging. (desktops.sh drags quickly on openbox; PhotoView.Gestures* checks the sizes.)
# Usage: resize-lock.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
source "$(dirname "$0")/session.sh"

two_pins gradient:'#f4b860-#2a5fa8' gradient:'#9fd27a-#6a2a8a'

start_app
poll window_centred_at 400 450 && poll window_centred_at 1040 450 || fail "pins not restored"
screenshot restored

# Out by 100 pixels and back in 20 quick moves: the window manager's late reports of the sizes on
# the way must not move the centre.
after_save xdotool mousemove 1040 460 keydown shift mousedown 1 $(moves 1040 460 100 0 10) \
  $(moves 1140 460 -100 0 10) mouseup 1 keyup shift
saved "{$B," "the resize out and back moved pin B"
# Alt-drag: openbox keeps Alt+drag for moving windows, but not desktop windows, which it leaves to
# the program: the photo is resized as with Shift, about its centre.
after_save xdotool mousemove 400 460 keydown alt mousedown 1 $(moves 400 460 60 0 6) mouseup 1 \
  keyup alt
saved '"A-left.png",[^}]*"centerX":400,"centerY":450,"baseWidth":390,"baseHeight":260' \
  "the Alt-drag did not resize pin A about its centre"

# Pin A's own menu: "Lock Photo" is its first entry.
xdotool mousemove 400 460 click 3
poll menu || fail "no context menu on pin A"
after_save xdotool key Down Return
saved '"A-left.png",[^}]*"centerX":400,"centerY":450,[^}]*"isLocked":true' "pin A was not locked"
after_save xdotool mousemove 400 460 mousedown 1 mousemove 480 520 mousemove 550 560 mouseup 1
window_centred_at 400 450 >/dev/null || fail "the locked pin moved"
screenshot resized-and-locked
echo "PASS"
