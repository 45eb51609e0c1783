#!/usr/bin/env bash
# A screen reader's and a keyboard user's program, through AT-SPI (accessibility.py) on a real X
# server. The welcome card, a notification with a close button, closes with Escape once clicked,
# and at the next start by its button. Two pins, one locked, are images named after their photos
# (no UUID), described as locked or not, with Lock or Unlock, Remove and Open; the application is
# named and described. A later start's help card is a dialog named by its title and described by
# its text, with a focusable Close button: clicked, it takes the focus, Tab moves it to Close,
# Escape closes the card. Unlock and Remove, done as a screen reader does them, are saved.
# Usage: accessibility.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
[[ -f /usr/share/dbus-1/services/org.a11y.Bus.service ]] && /usr/bin/python3 -c 'import pyatspi' ||
  { echo "needs at-spi2-core and python3-pyatspi"; exit 77; }
source "$(dirname "$0")/session.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
a11y() { "$(dirname "$0")/accessibility.py" "$app" "$@"; }
# Holds when the tree has a line holding $1.
has() { [[ $(a11y tree) == *"$1"* ]]; }
expect() { poll has "$1" || fail "no \"$1\" in: $(a11y tree)"; }
card() { window_centred_at 720 450; }

welcome="Welcome to Corkwallery|focusable"
start_app
expect "notification|$welcome|SetFocus|Click the pin icon in your panel's tray/to add your first photo."
expect "push button|Close|focusable|Press"
screenshot welcome-card
xdotool mousemove 720 470 click 1
expect "notification|$welcome,focused"
xdotool key Escape
poll eval '! card' || fail "Escape did not close the welcome card"
stop_app
start_app
expect "notification|$welcome"
xdotool mousemove $(a11y centre Close) click 1
poll eval '! card' || fail "its close button did not close the welcome card"
stop_app

u=01234567-89AB-CDEF-0123-456789ABCDEF
photo "$u-beach.png" xc:orange && photo "$u-forest.png" xc:green
locked=$(record "$u-forest.png" 1140 450)
pinned "$(record "$u-beach.png" 300 450)" "${locked/false/true}"
start_app
expect "application|Corkwallery|||Pins photos on your desktop"
expect "image|beach.png||Lock,Remove,Open|Photo"
expect "image|forest.png||Unlock,Remove,Open|Locked photo"
after_save a11y do forest.png Unlock
expect "image|forest.png||Lock,Remove,Open|Photo"
saved "forest.png.*\"isLocked\":false" "Unlock was not saved"

(run_app) >/dev/null 2>&1 || fail "a later start failed"
help="dialog|How to Use Corkwallery|focusable"
expect "$help|SetFocus|Drag a photo to move it around your desktop/Hold Shift and drag"
xdotool mousemove 720 470 click 1
expect "$help,focused"
xdotool key Tab
expect "push button|Close|focusable,focused"
xdotool key Escape
poll eval '! card' || fail "Escape did not close the help card"

after_save a11y do beach.png Remove
[[ $(state) != *beach* && $(state) == *forest* ]] || fail "Remove was not saved as such: $(state)"
stop_app
echo "PASS"
