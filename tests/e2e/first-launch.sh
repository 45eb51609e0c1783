#!/usr/bin/env bash
# First launch on a real X server, asked for Wayland: one line says it runs on X11; the welcome card
# shows at the screen's centre as a desktop window and the tray icon docks. One copy per user: a
# second start while one runs says so, makes it show its help card and exits with status 0. "Add Photo" and a path typed into
# the file chooser pin a photo at the screen's centre and close the card; a second photo lands on
# the same centre. SIGTERM while the chooser is open saves both pins once more and exits cleanly.
# Usage: first-launch.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
source "$(dirname "$0")/session.sh"

app_platform=wayland start_app
poll window_centred_at 720 450 || fail "no welcome card at the screen's centre"
read -r _ _ _ _ card <<<"$(window_centred_at 720 450)"
desktop_window "$card"
x11="corkwallery: QT_QPA_PLATFORM=wayland ignored: running on the X11 display \"$DISPLAY\", where \
Corkwallery can place its windows at desktop level"
[[ $(grep "^corkwallery:" "$work/app.log") == "$x11" ]] || fail "not one line about Wayland"
poll tray_icon || fail "the tray icon did not dock"
screenshot first-launch
second=$(run_app 2>&1) || fail "the second copy exited with $?"
[[ $second == "[Corkwallery] Corkwallery is already running — exiting
Corkwallery is running; its help card is on the desktop." ]] || fail "the second copy said: $second"
poll window_centred_at 720 450 350 || fail "the running copy did not show its help card"

convert -size 800x600 gradient:'#ffcc66-#3366aa' "$work/beach.png" &&
  convert -size 600x800 plasma:fractal "$work/forest.jpg" || fail "no test photos"
chooser() { xdotool search --onlyvisible --name "Choose a photo to pin to your desktop" | head -n1; }
open_chooser() { choose_from_menu 1 && poll chooser || fail "no file chooser"; }
card_gone() { ! window_where "id == $card"; }
for photo in beach.png forest.jpg; do
  open_chooser
  xdotool windowactivate --sync "$(chooser)" type --delay 2 "$work/$photo"
  after_save xdotool key Return
  poll card_gone || fail "the welcome card stayed"
done
screenshot two-photos

# The chooser's own loop ends with the program's.
open_chooser
before=$(saves)
stop_app
(($(saves) == before + 1)) || fail "no save at the end"
(($(grep -o '"centerX":720,"centerY":450' <<<"$(state)" | wc -l) == 2)) ||
  fail "not two photos at the screen's centre: $(state)"
(($(ls "$work/data/Corkwallery/images" | wc -l) == 2)) || fail "not two copies"
echo "PASS"
