#!/usr/bin/env bash
# Adding photos through the tray menu on a real X server: "How to Use" opens the help card; "Add
# Photo" and a path typed into the file chooser pin the photo at the screen's centre and close
# both cards; a second photo lands on the same centre; dragging one moves it by exactly the
# pointer's travel. SIGTERM while the chooser is open saves both pins and exits cleanly.
# Usage: add-photos.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

convert -size 800x600 gradient:'#ffcc66-#3366aa' "$work/beach.png" || fail "no test photo"
convert -size 600x800 plasma:fractal "$work/forest.jpg" || fail "no test photo"

start_app
poll window_centred_at 720 450 || fail "no welcome card"
chooser() { xdotool search --onlyvisible --name "Choose a photo to pin to your desktop" | head -n1; }
# Picks "Add Photo" and types the photo's path into the chooser.
add_photo() {
  choose_from_menu 1
  poll chooser || fail "no file chooser"
  xdotool windowactivate --sync "$(chooser)" type --delay 2 "$1"
  after_save xdotool key Return
}

choose_from_menu 3  # How to Use
poll window_centred_at 720 450 350 || fail "no help card"  # wider than the welcome card
screenshot help-card

add_photo "$work/beach.png"
# The cards' windows, with the room for their shadows, go.
cards_gone() { ! window_where "(WIDTH == 340 && HEIGHT == 181) || (WIDTH == 410 && HEIGHT == 245)"; }
poll cards_gone || fail "the cards stayed open"
poll window_centred_at 720 450 || fail "the photo is not at the screen's centre"
add_photo "$work/forest.jpg"

# Drag the top pin away by (+150, +100): the window moves by exactly that.
after_save xdotool mousemove 720 470 mousedown 1 mousemove 800 520 mousemove 870 570 mouseup 1
poll window_centred_at 870 550 || fail "the dragged pin is not at (870, 550)"
screenshot two-pins

# The chooser's own loop ends with the program's.
choose_from_menu 1
poll chooser || fail "no file chooser"
before=$(saves)
stop_app
(($(saves) == before + 1)) || fail "no save at the end"
# The second photo (listed last) was moved up-right in screen terms: y grows upwards.
[[ $(grep -o '"storedFilename"' <<<"$(state)" | wc -l) == 2 ]] || fail "not two records: $(state)"
grep -q '"centerX":870,"centerY":350' <<<"$(state)" || fail "the moved centre was not saved"
[[ $(ls "$work/data/Corkwallery/images" | wc -l) == 2 ]] || fail "not two copies"
echo "PASS"
