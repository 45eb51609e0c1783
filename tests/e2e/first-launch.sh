#!/usr/bin/env bash
# First launch on a real X server: the welcome card shows at the screen's centre as a desktop
# window and the tray icon docks. One copy per user: a second start while one runs says so and
# exits with status 0, leaving the first running (now showing its help card) and every file as it
# was; once the first has gone (even killed, leaving its lock file behind), the next start runs,
# and SIGTERM saves "[]".
# Usage: first-launch.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

start_app
poll window_centred_at 720 450 || fail "no welcome card at the screen's centre"
read -r _ _ _ _ card <<<"$(window_centred_at 720 450)"
desktop_window "$card"
poll tray_icon || fail "the tray icon did not dock"
screenshot first-launch

listing() { find "$work/data" -printf '%p %s %T@\n' | sort; }
before=$(listing)
second=$(run_app 2>&1) || fail "the second copy exited with $?"
[[ $second == "[Corkwallery] Corkwallery is already running — exiting
Corkwallery is running; its help card is on the desktop." ]] || fail "the second copy said: $second"
poll window_centred_at 720 450 350 || fail "the running copy did not show its help card"
kill -0 "$app" || fail "the first copy ended"
[[ $(listing) == "$before" ]] || fail "files changed: $(diff <(echo "$before") <(listing))"

# A crash leaves the lock file; the next start takes it over.
kill -KILL "$app"
wait "$app" 2>/dev/null
forget "$app"
ls "$work"/runtime/corkwallery-*.lock >/dev/null || fail "no lock file left behind"
start_app
poll window_centred_at 720 450 || fail "no start after a crash"
stop_app
[[ $(state) == "[]" ]] || fail "no save of no pins at the end"
echo "PASS"
