#!/usr/bin/env bash
# First launch on a real X server: the welcome card shows at the screen's centre, the tray icon
# docks, and SIGTERM saves and exits cleanly.
# Usage: first-launch.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

start_app
poll window_centred_at 720 450 || fail "no welcome card at the screen's centre"
echo "welcome card: $(window_centred_at 720 450)"

# The tray icon: a visible window of the program inside trayer's strip (top right, 24 high).
icon_docked() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((Y >= 0 && Y + HEIGHT <= 24 && X >= 1440 - 100 && WIDTH >= 16 && WIDTH <= 24)); then
      echo "$id ${WIDTH}x${HEIGHT}+$X+$Y"
      return 0
    fi
  done
  return 1
}
poll icon_docked || fail "the tray icon did not dock"
echo "tray icon: $(icon_docked)"
screenshot first-launch

stop_app
grep -q "saveState() called — 0 window(s)" "$work/app.log" || fail "no save at the end"
[[ $(cat "$work/data/Corkwallery/pinned-photos.json") == "[]" ]] || fail "state file not []"
echo "PASS"
