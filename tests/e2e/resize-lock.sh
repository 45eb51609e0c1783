#!/usr/bin/env bash
# Resizing and locking on a real X server: an Alt-drag and a Shift-drag 100 pixels to the right
# each make a 300 x 200 photo 450 x 300; "Lock Photo" from the photo's own menu stops dragging;
# "Quit Corkwallery" saves, and a relaunch brings both pins back where they were, the first locked.
# Usage: resize-lock.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

images=$work/data/Corkwallery/images
mkdir -p "$images"
convert -size 600x400 gradient:'#f4b860-#2a5fa8' "$images/A-left.png" || fail "no test photo"
convert -size 600x400 gradient:'#9fd27a-#6a2a8a' "$images/B-right.png" || fail "no test photo"
# Centres at X (400, 450) and (1040, 450); y = 900 - 450 in the file, y growing upwards.
cat >"$work/data/Corkwallery/pinned-photos.json" <<'JSON'
[{"storedFilename":"A-left.png","originalPath":"","centerX":400,"centerY":450,"baseWidth":300,"baseHeight":200,"rotationAngle":0,"pinColorName":"red","isLocked":false},{"storedFilename":"B-right.png","originalPath":"","centerX":1040,"centerY":450,"baseWidth":300,"baseHeight":200,"rotationAngle":0,"pinColorName":"blue","isLocked":false}]
JSON
state() { cat "$work/data/Corkwallery/pinned-photos.json"; }
saves() { grep -c "saveState() called" "$work/app.log"; }
# Runs an xdotool gesture and waits for the save that ends it.
gesture() {
  local before
  before=$(saves)
  xdotool "$@"
  saved() { (($(saves) > before)); }
  poll saved || fail "no save after: $*"
}

start_app
poll window_centred_at 400 450 || fail "pin A not restored"
poll window_centred_at 1040 450 || fail "pin B not restored"
rm -f "$work/last.ppm"
poll settled || fail "the pins were not drawn"

gesture mousemove 1040 460 keydown shift mousedown 1 mousemove 1090 460 mousemove 1140 460 mouseup 1 keyup shift
gesture mousemove 400 460 keydown alt mousedown 1 mousemove 450 460 mousemove 500 460 mouseup 1 keyup alt
echo "$(state)"
[[ $(grep -o '"baseWidth":450,"baseHeight":300' <<<"$(state)" | wc -l) == 2 ]] ||
  fail "the resizes did not make both photos 450 x 300"
poll window_centred_at 400 450 || fail "pin A left its centre while resizing"

# Pin A's own menu: "Lock Photo" is its first entry.
xdotool mousemove 400 460 click 3
context_menu() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    ((X >= 390 && X <= 410 && HEIGHT > 40 && HEIGHT < 120)) && return 0
  done
  return 1
}
poll context_menu || fail "no context menu on pin A"
before=$(saves)
xdotool key Down Return
locked() { (($(saves) > before)) && grep -q '"A-left.png"[^}]*"isLocked":true' <<<"$(state)"; }
poll locked || fail "pin A was not locked"

gesture mousemove 400 460 mousedown 1 mousemove 480 520 mousemove 550 560 mouseup 1
window_centred_at 400 450 >/dev/null || fail "the locked pin moved"
screenshot resized-and-locked

choose_from_menu 4  # Quit Corkwallery
wait "$app"
status=$?
((status == 0)) || fail "exit status $status after Quit"

start_app
poll window_centred_at 400 450 || fail "pin A is not back in its place"
poll window_centred_at 1040 450 || fail "pin B is not back in its place"
grep -q '"A-left.png"[^}]*"isLocked":true' <<<"$(state)" || fail "pin A came back unlocked"
gesture mousemove 400 460 mousedown 1 mousemove 480 520 mousemove 550 560 mouseup 1
window_centred_at 400 450 >/dev/null || fail "the relaunched locked pin moved"
stop_app
echo "PASS"
