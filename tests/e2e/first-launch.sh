#!/usr/bin/env bash
# First launch on a real X server (Xvfb with openbox, xcompmgr and a trayer tray): the welcome
# card shows at the screen's centre, the tray icon docks, and SIGTERM saves and exits cleanly.
# Usage: first-launch.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
set -uo pipefail
bin=$1 rc=$2 shots=$3
command -v Xvfb >/dev/null || { echo "Xvfb is not installed"; exit 77; }
mkdir -p "$shots"
work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [[ -f $work/app.log ]] && sed 's/^/  app: /' "$work/app.log"; exit 1; }
# Polls a command for up to 10 s.
poll() {
  for _ in $(seq 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
poll test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
poll xdpyinfo || fail "no display $DISPLAY"

openbox --config-file "$rc" >/dev/null 2>&1 & pids+=($!)
poll wmctrl -m || fail "openbox did not start"
xcompmgr -n >/dev/null 2>&1 & pids+=($!)
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  --transparent false >/dev/null 2>&1 & pids+=($!)
poll xdotool search --onlyvisible --class trayer || fail "trayer did not start"

for sub in home data config cache; do mkdir -p "$work/$sub"; done
QT_QPA_PLATFORM=xcb HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_CACHE_HOME=$work/cache "$bin" >"$work/app.log" 2>&1 &
app=$!
pids+=($app)

# The welcome card: a visible window of the program centred on the screen.
welcome_centred() {
  local id x y w h
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    x=$X y=$Y w=$WIDTH h=$HEIGHT
    if ((w > 100 && (2 * x + w - 1440) ** 2 <= 4 && (2 * y + h - 900) ** 2 <= 4)); then
      echo "$id ${w}x${h}+$x+$y"
      return 0
    fi
  done
  return 1
}
poll welcome_centred || fail "no welcome card at the screen's centre"
echo "welcome card: $(welcome_centred)"

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

# The picture is taken once two in a row agree, so the card has been painted.
# PPM carries no time stamps, so equal pictures are equal files.
settled() {
  import -window root "$work/shot.ppm" &&
    [[ -f $work/last.ppm ]] && cmp -s "$work/shot.ppm" "$work/last.ppm"
  local same=$?
  mv "$work/shot.ppm" "$work/last.ppm"
  return $same
}
poll settled || fail "the screen did not settle"
convert "$work/last.ppm" "$shots/first-launch.png" || fail "no screenshot"

kill -TERM "$app"
wait "$app"
status=$?
pids=("${pids[@]:0:${#pids[@]}-1}")
((status == 0)) || fail "exit status $status after SIGTERM"
grep -q "saveState() called — 0 window(s)" "$work/app.log" || fail "no save at the end"
[[ $(cat "$work/data/Corkwallery/pinned-photos.json") == "[]" ]] || fail "state file not []"
echo "PASS"
