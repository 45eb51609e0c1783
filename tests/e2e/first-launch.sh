#!/usr/bin/env bash
# First launch on a real X server, asked for Wayland (so on X11, as DisplayChoice.* checks), with no
# tray host yet: the welcome card shows at the screen's centre, and the corner card stands in for
# the tray, inside the work area that a top panel leaves. An X11 tray (trayer) that starts later
# takes the icon and the card goes; a left click opens the menu below the docked icon, where "Add
# Photo" and a path typed into the file chooser pin a photo at the screen's centre and close the
# welcome card. When the tray goes, the card comes back. At the next start a StatusNotifier panel
# (a stand-in watcher on the session bus) that starts later, and registers its host only after
# taking its name, gets the icon; its click opens the menu at the pointer; when the panel goes, the
# card comes back, and its menu opens the file chooser: SIGTERM while that is open saves the pin
# once more and exits cleanly. (A second start while one runs: app.FilesGiven*.)
# Usage: first-launch.sh <corkwallery binary> <openbox rc file> <folder for screenshots> <stand-in services>
late_tray=1
source "$(dirname "$0")/session.sh"

# The corner card, 32 x 32, 8 pixels inside the work area's top-right corner.
card_at() { window_centred_at 1416 $((8 + 16 + $1)) 16; }
app_platform=wayland start_app
poll window_centred_at 720 450 || fail "no welcome card at the screen's centre"
read -r _ _ _ _ welcome <<<"$(window_centred_at 720 450)"
poll card_at 0 || fail "no corner card without a tray"

# A top panel claims a strip of 60 pixels: the card moves below it, and back when the panel goes.
xmessage -geometry 1440x40+0+0 -name stand-in-panel panel >/dev/null 2>&1 & panel=$!
panel_window() { xdotool search --onlyvisible --classname stand-in-panel | head -n1; }
poll panel_window || fail "no stand-in panel"
xprop -id "$(panel_window)" -f _NET_WM_STRUT_PARTIAL 32c \
  -set _NET_WM_STRUT_PARTIAL "0, 0, 60, 0, 0, 0, 0, 0, 0, 1439, 0, 0"
poll card_at 60 || fail "the card did not move below the panel: $(xprop -root _NET_WORKAREA)"
screenshot card-below-panel
kill "$panel"
poll card_at 0 || fail "the card did not come back to the corner"

start_tray
poll tray_icon || fail "the tray icon did not dock in a tray that started later"
poll eval '! card_at 0' || fail "the card stayed with the tray there"
screenshot first-launch  # the tray has placed its icon once the screen settles
convert -size 800x600 gradient:'#ffcc66-#3366aa' "$work/beach.png" || fail "no test photo"
chooser() { xdotool search --onlyvisible --name "Choose a photo to pin to your desktop" | head -n1; }
read -r ix iy iw ih _ <<<"$(tray_icon)"
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
poll menu || fail "a left click did not open the tray menu"
read -r mx my mw _ <<<"$(menu)"
((my == iy + ih && mx + mw <= 1440)) || fail "menu at $mx,$my, not below the icon at $ix,$iy ${iw}x$ih"
xdotool key Down Return  # "Add Photo"
poll chooser || fail "no file chooser"
xdotool windowactivate --sync "$(chooser)" type --delay 2 "$work/beach.png"
after_save xdotool key Return
poll eval '! window_where "id == $welcome"' || fail "the welcome card stayed"
screenshot photo
kill "$started"
poll card_at 0 || fail "the card did not come back when the tray went"
stop_app

# Qt picks the kind of tray icon once per process: a new one meets the StatusNotifier panel.
start_app
poll card_at 0 || fail "no corner card before the panel"
"$services" >"$work/watcher.log" 2>&1 & panel=$!
poll grep -q "^watching" "$work/watcher.log" || fail "the stand-in panel did not start"
bus org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
  org.kde.StatusNotifierWatcher.RegisterStatusNotifierHost string:stand-in >/dev/null
poll grep -q "^registered " "$work/watcher.log" || fail "the icon did not register with the panel"
poll eval '! card_at 0' || fail "the card stayed with the panel there"
xdotool mousemove 1000 300
bus "$(sed -n 's/^registered //p' "$work/watcher.log")" /StatusNotifierItem \
  org.kde.StatusNotifierItem.Activate int32:1000 int32:300 >/dev/null
poll eval '[[ $(menu) == "1000 300 "* ]]' || fail "the panel's click did not open the menu at the pointer: $(menu)"
xdotool key Escape
kill "$panel"
poll card_at 0 || fail "the card did not come back when the panel went"
# The card's menu opens the chooser, whose own loop ends with the program's.
xdotool mousemove 1416 24 click 1
poll menu || fail "a click on the card did not open the menu"
xdotool key Down Return
poll chooser || fail "no file chooser from the card's menu"
before=$(saves)
stop_app
(($(saves) == before + 1)) || fail "no save at the end"
saved '"centerX":720,"centerY":450' "the photo is not at the screen's centre"
echo "PASS"
