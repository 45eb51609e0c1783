#!/usr/bin/env bash
# Tray hosts that start after the program. Until one comes, the corner card stands in, inside the
# work area that a top panel leaves; an X11 tray (trayer) that starts later takes the icon and the
# card goes; a left click opens the menu below the docked icon; when the tray goes, the card comes
# back. A StatusNotifier panel (a stand-in watcher on the session bus) that starts later, and
# registers its host only after taking its name, gets the icon too; its click opens the menu at
# the pointer; when the panel goes, the card comes back, and Ctrl+Q in the menu it opens quits.
# Usage: late-tray.sh <corkwallery binary> <openbox rc file> <folder for screenshots> <stand-in services>
late_tray=1
source "$(dirname "$0")/session.sh"

# The corner card, 32 x 32, 8 pixels inside the work area's top-right corner.
card_at() { window_centred_at 1416 $((8 + 16 + $1)) 16; }
no_card() { ! card_at 0; }
start_app
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
poll no_card || fail "the card stayed with the tray there"
open_tray_menu
read -r ix iy iw ih _ <<<"$(tray_icon)"
read -r mx my mw _ <<<"$(menu)"
((my == iy + ih && mx + mw <= 1440)) || fail "menu at $mx,$my, not below the icon at $ix,$iy ${iw}x$ih"
screenshot late-tray-menu
xdotool key Escape
kill "$started"
poll card_at 0 || fail "the card did not come back when the tray went"

# Qt picks the kind of tray icon once per process: a new one meets the StatusNotifier panel.
stop_app
start_app
poll card_at 0 || fail "no corner card before the panel"
"$services" watcher >"$work/watcher.log" 2>&1 & panel=$!
poll grep -q "^watching" "$work/watcher.log" || fail "the stand-in panel did not start"
call() { dbus-send --session --type=method_call --dest="$1" "${@:2}"; }
call org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
  org.kde.StatusNotifierWatcher.RegisterStatusNotifierHost string:stand-in
poll grep -q "^registered " "$work/watcher.log" || fail "the icon did not register with the panel"
poll no_card || fail "the card stayed with the panel there"
xdotool mousemove 1000 300
call "$(sed -n 's/^registered //p' "$work/watcher.log")" /StatusNotifierItem \
  org.kde.StatusNotifierItem.Activate int32:1000 int32:300
menu_at_pointer() { [[ $(menu) == "1000 300 "* ]]; }
poll menu_at_pointer || fail "the panel's click did not open the menu at the pointer: $(menu)"
xdotool key Escape
kill "$panel"
poll card_at 0 || fail "the card did not come back when the panel went"
xdotool mousemove 1416 24 click 1
poll menu || fail "a click on the card did not open the menu"
after_save xdotool key ctrl+q
stop_app ends
echo "PASS"
