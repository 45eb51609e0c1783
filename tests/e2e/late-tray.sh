#!/usr/bin/env bash
# Tray hosts that start after the program. Until one comes, the corner card stands in as a desktop
# window, inside the work area that a top panel leaves; an X11 tray (trayer) that starts later
# takes the icon and the card goes; a left click opens the menu below the docked icon; when the
# tray goes, the card comes back. A StatusNotifier panel (a stand-in watcher on the session bus)
# that starts later, and registers its host only after taking its name, gets the icon too; its
# left click opens the menu at the pointer; when the panel goes, the card comes back, and Ctrl+Q in
# the menu it opens quits. The first start asks for Wayland and runs on X11.
# Usage: late-tray.sh <corkwallery binary> <openbox rc file> <folder for screenshots> <watcher>
set -uo pipefail
bin=$1 rc=$2 shots=$3 watcher=$4
late_tray=1
source "$(dirname "$0")/session.sh"

# The corner card, 32 x 32, 8 pixels inside the work area's top-right corner.
card_at() { window_centred_at 1416 $((8 + 16 + $1)) 16; }
no_card() { ! card_at 0; }

app_platform=wayland start_app
poll card_at 0 || fail "no corner card without a tray"
read -r _ _ _ _ card <<<"$(card_at 0)"
desktop_window "$card"
grep -q "^corkwallery: QT_QPA_PLATFORM=wayland ignored: running on the X11 display" \
  "$work/app.log" || fail "no word that Wayland was set aside"
(($(grep -c "^corkwallery:" "$work/app.log") == 1)) || fail "more than one line about the display"

# A top panel takes its strip from the work area: the card moves below it, and back when the
# panel goes.
xmessage -geometry 1440x40+0+0 -name stand-in-panel panel >/dev/null 2>&1 & panel=$! && pids+=($panel)
panel_window() { xdotool search --onlyvisible --classname stand-in-panel | head -n1; }
poll panel_window || fail "no stand-in panel"
panel_id=$(panel_window)
# The strip reaches down to the panel's frame's lower edge.
eval "$(xdotool getwindowgeometry --shell "$panel_id")"
strip=$((Y + HEIGHT + $(xprop -id "$panel_id" _NET_FRAME_EXTENTS | awk -F', ' '{print $NF}')))
xprop -id "$panel_id" -f _NET_WM_STRUT_PARTIAL 32c \
  -set _NET_WM_STRUT_PARTIAL "0, 0, $strip, 0, 0, 0, 0, 0, 0, 1439, 0, 0"
poll card_at "$strip" || fail "the card did not move below the panel: $(xprop -root _NET_WORKAREA)"
screenshot card-below-panel
stop_pid "$panel"
poll card_at 0 || fail "the card did not come back to the corner"

start_tray
poll tray_icon || fail "the tray icon did not dock in a tray that started later"
poll no_card || fail "the card stayed with the tray there"
open_tray_menu
read -r ix iy iw ih _ <<<"$(tray_icon)"
read -r mx my mw _ <<<"$(menu)"
screenshot late-tray-menu
((my == iy + ih && mx + mw <= 1440)) || fail "menu at $mx,$my, not below the icon at $ix,$iy ${iw}x$ih"
xdotool key Escape
stop_pid "$tray"
poll card_at 0 || fail "the card did not come back when the tray went"
stop_app

# A StatusNotifier panel starts later and registers its host a moment after taking its name.
start_app
poll card_at 0 || fail "no corner card before the panel"
mkfifo "$work/watcher.in"
"$watcher" --host-later <"$work/watcher.in" >"$work/watcher.log" 2>&1 & panel=$! && pids+=($panel)
exec {to_panel}>"$work/watcher.in"
poll grep -q "^watching" "$work/watcher.log" || fail "the stand-in panel did not start"
echo host >&"$to_panel"
poll grep -q "^registered " "$work/watcher.log" || fail "the icon did not register with the panel"
poll no_card || fail "the card stayed with the panel there"
xdotool mousemove 1000 300
echo "activate 1000 300" >&"$to_panel"
menu_at_pointer() { [[ $(menu) == "1000 300 "* ]]; }
poll menu_at_pointer || fail "the panel's click did not open the menu at the pointer: $(menu)"
xdotool key Escape
stop_pid "$panel"
poll card_at 0 || fail "the card did not come back when the panel went"
xdotool mousemove 1416 24 click 1
poll menu || fail "a click on the card did not open the menu"
after_save xdotool key ctrl+q
stop_app ends
echo "PASS"
