#!/usr/bin/env bash
# Starts build/corkwallery. With a display it runs there on the user's own pins. Without one it
# runs a private demo session: a temporary home and XDG folders (never the user's pins) holding
# three pinned pictures drawn by scripts/demo-pictures.sh at build time, on a private display (Xvfb 1440x900 with
# openbox, xcompmgr and a trayer tray), and saves build/screenshot.png once the pins are painted.
# Without a terminal (nobody to interact) it then quits the program and stops.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/corkwallery"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$bin"
fi

pids=()
demo=$(mktemp -d "${TMPDIR:-/tmp}/corkwallery-demo-XXXXXX")
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$demo"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The demo's own home: three copies and their records (places in points from the screen's
# bottom-left corner, tilts in radians).
for folder in home data config cache runtime; do mkdir -p "$demo/$folder"; done
chmod 700 "$demo/runtime"
export HOME=$demo/home XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config
export XDG_CACHE_HOME=$demo/cache XDG_RUNTIME_DIR=$demo/runtime
export DBUS_SESSION_BUS_ADDRESS="unix:path=$demo/runtime/no-bus"
pictures="$root/build/demo-pictures"
cmake --build "$root/build" --target demo_pictures >/dev/null
mkdir -p "$XDG_DATA_HOME/Corkwallery/images"
cp "$pictures"/*.jpg "$XDG_DATA_HOME/Corkwallery/images/"
record() {
  printf '{"storedFilename":"%s","originalPath":"","centerX":%s,"centerY":%s,"baseWidth":%s,"baseHeight":%s,"rotationAngle":%s,"pinColorName":"%s","isLocked":false}' "$@"
}
printf '[%s,%s,%s]' "$(record mountain-lake.jpg 400 560 330 220 0.06 red)" \
  "$(record fruit-bowl.jpg 760 420 240 300 -0.045 blue)" \
  "$(record sailing-boat.jpg 1090 590 300 200 0.035 green)" \
  >"$XDG_DATA_HOME/Corkwallery/pinned-photos.json"

# Xvfb picks a free display itself and names it once it takes connections.
exec {ready}>"$demo/display"
Xvfb -displayfd "$ready" -screen 0 1440x900x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
exec {ready}>&-
for _ in $(seq 100); do [[ -s "$demo/display" ]] && break; sleep 0.1; done
[[ -s "$demo/display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$demo/display")"
export DISPLAY

openbox --config-file "$root/scripts/openbox-rc.xml" >/dev/null 2>&1 & pids+=($!)
xcompmgr -n >/dev/null 2>&1 & pids+=($!)
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  --transparent false >/dev/null 2>&1 & pids+=($!)

"$bin" & app=$!
pids+=("$app")
# Up: the three pins and the tray icon are shown, and two pictures in a row agree (painted).
shot="$root/build/screenshot.png"
for _ in $(seq 150); do
  kill -0 "$app" 2>/dev/null || { wait "$app"; exit $?; }
  if (($(xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l) >= 4)); then
    import -window root "$demo/shot.ppm"
    cmp -s "$demo/shot.ppm" "$demo/last.ppm" 2>/dev/null && break
    mv "$demo/shot.ppm" "$demo/last.ppm"
  fi
  sleep 0.2
done
convert "$demo/shot.ppm" "$shot" 2>/dev/null || import -window root "$shot"
echo "Screenshot of the demo session: $shot"

if [[ -t 0 ]]; then
  echo "The demo runs on $DISPLAY with pins of its own, gone when it ends; press Ctrl+C to stop."
  wait "$app"
else
  kill -TERM "$app"
  wait "$app"
fi
