#!/usr/bin/env bash
# Starts build/corkwallery. Without a display it makes a private one (Xvfb 1440x900 with openbox,
# xcompmgr and a trayer tray), runs the program there and saves build/screenshot.png once the
# program is up. Without a terminal (nobody to interact) it then quits the program and stops.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/corkwallery"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$bin"
fi

pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display=99
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 1440x900x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }

openbox --config-file "$root/scripts/openbox-rc.xml" >/dev/null 2>&1 & pids+=($!)
xcompmgr -n >/dev/null 2>&1 & pids+=($!)
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  --transparent false >/dev/null 2>&1 & pids+=($!)

"$bin" & app=$!
pids+=($app)
# Up: the program has a visible window (a pin, a card or its tray icon).
for _ in $(seq 100); do
  xdotool search --onlyvisible --pid "$app" >/dev/null 2>&1 && break
  kill -0 "$app" 2>/dev/null || { wait "$app"; exit $?; }
  sleep 0.1
done
sleep 0.5  # let the first frames paint
import -window root "$root/build/screenshot.png"
echo "Screenshot of the headless display: $root/build/screenshot.png"

if [[ -t 0 ]]; then
  echo "Corkwallery runs on $DISPLAY; press Ctrl+C to stop."
  wait "$app"
else
  kill -TERM "$app"
  wait "$app"
fi
