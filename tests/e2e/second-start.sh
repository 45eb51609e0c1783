#!/usr/bin/env bash
# One copy per user: a second start while one runs says so and exits with status 0, leaving the
# first running and every file of the folder as it was; once the first has gone (even killed,
# leaving its lock file behind), the next start runs.
# Usage: second-start.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
source "$(dirname "$0")/session.sh"

folder=$work/data/Corkwallery
start_app
poll grep -q "restorePinnedPhotos()" "$work/app.log" || fail "the first copy did not start"
poll window_centred_at 720 450 || fail "no welcome card"
first=$app
listing() { find "$folder" -printf '%p %s %T@\n' | sort; }
before=$(listing)

QT_QPA_PLATFORM=xcb HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime timeout 20 "$bin" \
  >"$work/second.log" 2>&1
status=$?
((status == 0)) || fail "the second copy exited with $status"
[[ $(cat "$work/second.log") == "[Corkwallery] Corkwallery is already running — exiting" ]] ||
  fail "the second copy said: $(cat "$work/second.log")"
kill -0 "$first" || fail "the first copy ended"
[[ $(listing) == "$before" ]] || fail "files changed: $(diff <(echo "$before") <(listing))"
screenshot second-start

# A crash leaves the lock file; the next start takes it over.
kill -KILL "$first"
wait "$first" 2>/dev/null
kept=()
for pid in "${pids[@]}"; do [[ $pid != "$first" ]] && kept+=("$pid"); done
pids=("${kept[@]}")
locks=("$work"/runtime/corkwallery-*.lock)
[[ -f ${locks[0]} ]] || fail "no lock file left behind"
start_app
poll window_centred_at 720 450 || fail "no start after a crash"
stop_app
echo "PASS"
