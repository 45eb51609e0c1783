#!/usr/bin/env bash
# Files dragged from a file manager onto a pin: two pictures (one with a space and a byte that is
# no UTF-8 in its name) and a text file, dropped at the pin's centre. The pictures become two pins
# side by side around the drop point, their copies and records saved; the text file is refused
# with the usual line. The drag is our own source's (drag_source), as xdotool cannot drag files.
# Usage: drop.sh <corkwallery binary> <openbox rc file> <folder for screenshots> <services>
#        <drag source>
source "$(dirname "$0")/session.sh"
drag_source=$5

images=$work/data/Corkwallery/images
mkdir -p "$images" "$work/drop" &&
  convert -size 600x400 xc:'#cc3333' "$images/A.png" &&
  convert -size 800x600 gradient:'#ffcc66-#3366aa' "$work/drop/beach.png" &&
  convert -size 800x600 plasma:fractal "$work/drop/forest.jpg" || fail "no test photos"
odd=$work/drop/$'\xe9t\xe9 2024'.png
mv "$work/drop/beach.png" "$odd" && echo "a note" >"$work/drop/notes.txt" || fail "no test files"
echo '[{"storedFilename":"A.png","originalPath":"","centerX":720,"centerY":450,"baseWidth":300,"baseHeight":200,"rotationAngle":0.05,"pinColorName":"red","isLocked":false}]' \
  >"$work/data/Corkwallery/pinned-photos.json"

start_app
poll window_centred_at 720 450 || fail "the pin was not restored"

"$drag_source" "$odd" "$work/drop/forest.jpg" "$work/drop/notes.txt" >"$work/drag.log" 2>&1 &
source_window() { xdotool search --onlyvisible --name '^corkwallery-drag-source$' | head -n1; }
poll source_window || fail "no drag source"
eval "$(xdotool getwindowgeometry --shell "$(source_window)")"
# Pressed on the source and, once the drag holds the pointer, carried to the pin's centre; let go
# once the pin takes the copy. The source tells the pin where the pointer is only after the pin
# answered the last place, so the drop may land short of the centre.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) mousedown 1
poll grep -q dragging "$work/drag.log" || fail "the drag did not start: $(cat "$work/drag.log")"
xdotool $(moves $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) $((720 - X - WIDTH / 2)) $((450 - Y - HEIGHT / 2)) 20)
poll grep -q "over copy" "$work/drag.log" || fail "the pin did not take the drag: $(cat "$work/drag.log")"
before=$(saves)
xdotool mouseup 1
poll grep -q "dropped copy" "$work/drag.log" || fail "the drop was not copied: $(cat "$work/drag.log")"
poll eval '(($(saves) >= before + 2))' || fail "the dropped photos were not saved"

# Where the pin was told the pointer was last: on the pin (300 x 200 about (720, 450)).
read -r x y <<<"$(sed -n 's/^\[Corkwallery\] Dropped 3 item(s) at (\([0-9]*\)\.0, \([0-9]*\)\.0)$/\1 \2/p' "$work/app.log")"
[[ -n $y ]] && ((x > 570 && x < 870 && y > 350 && y < 550)) || fail "no drop on the pin"
poll grep -qF "[Corkwallery] ERROR: failed to load image from $work/drop/notes.txt" "$work/app.log" ||
  fail "the text file was not refused"
# 300 x 225 each, 32 points apart, side by side around the drop point.
for left in $((x - 166)) $((x + 166)); do
  saved "\"centerX\":$left,\"centerY\":$y," "no photo at ($left, $y)"
  poll window_centred_at $left $((900 - y)) || fail "no pin window at ($left, $y)"
done
(($(grep -o '"storedFilename"' <<<"$(state)" | wc -l) == 3)) || fail "not three records: $(state)"
(($(ls "$images" | wc -l) == 3)) || fail "not three copies: $(ls "$images")"
screenshot drop
stop_app
echo "PASS"
