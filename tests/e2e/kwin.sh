#!/usr/bin/env bash
# The program as a native Wayland client on Plasma 6: KWin (kwin_wayland --virtual) under
# kwin_wayland_wrapper, which keeps the socket through a crash, and plasmashell where installed.
# Read from its protocol (WAYLAND_DEBUG) and what KWin's scripting shows at a point: each pin is a
# bottom-layer surface KWin configures, never an ordinary window; pins lie below a `foot` window and
# above plasmashell's desktop, stay through Show Desktop (KWin's shortcut), are out of the switcher
# and task bar; a Shift-drag on one (KWin's fake input) resizes it and leaves foot the keyboard; a
# KWin killed and restarted finds them back, nothing saved; a quit saves the same places; KWin gone
# for good ends the program without a save. Skipped (77) where a tool is missing.
# Usage: kwin.sh <corkwallery binary>
set -uo pipefail
bin=$1 prog=${1##*/}
for needed in kwin_wayland_wrapper dbus-run-session foot qdbus6 jq; do
  command -v "$needed" >/dev/null || { echo "needs $needed"; exit 77; }
done
python3 -c 'import pywayland' 2>/dev/null || { echo "needs python3-pywayland"; exit 77; }
source "$(dirname "$0")/journey.sh"
export XDG_RUNTIME_DIR=$work/runtime  # KWin's socket, where the program looks for it

KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_COMPOSE=Q QT_QPA_PLATFORM=offscreen kwin_wayland_wrapper \
  --virtual --width 1440 --height 900 --no-lockscreen >"$work/kwin.log" 2>&1 &
wrapper=$!
poll test -S "$XDG_RUNTIME_DIR/wayland-0" || fail "kwin_wayland did not start"
export WAYLAND_DISPLAY=wayland-0
unset DISPLAY QT_QPA_PLATFORM
dbus-update-activation-environment WAYLAND_DISPLAY XDG_RUNTIME_DIR QT_QPA_PLATFORM=wayland
# Prints what KWin says of a JavaScript expression, with at(X, Y): the windows shown there, top
# first, plasmashell's desktop as "desktop".
kwin_says() {
  local n=$SRANDOM id  # called in subshells
  cat >"$work/says$n.js" <<EOF
const at = (x, y) => workspace.windowAt({x: x, y: y}, 3)
  .map(w => w.desktopWindow ? "desktop" : w.resourceClass).join(" ");
print("says$n " + ($1));
EOF
  id=$(qdbus6 org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript "$work/says$n.js" "s$n") &&
    qdbus6 org.kde.KWin "/Scripting/Script$id" org.kde.kwin.Script.run &&
    poll grep -q "^js: says$n " "$work/kwin.log" && sed -n "s/^js: says$n //p" "$work/kwin.log" &&
    qdbus6 org.kde.KWin /Scripting org.kde.kwin.Scripting.unloadScript "s$n" >/dev/null
}
desktop=
if command -v plasmashell >/dev/null; then
  QT_QPA_PLATFORM=wayland plasmashell --no-respawn >"$work/plasmashell.log" 2>&1 &
  desktop=" desktop"
  poll eval '[[ $(kwin_says "at(400, 450)") == desktop ]]' || fail "plasmashell shows no desktop"
fi

photo A.png xc:red && photo B.png xc:green
pinned "$(record A.png 400 450)" "$(record B.png 1040.5 300 0.05)"
before=$(state)

# Its protocol (WAYLAND_DEBUG, on standard error) apart from its log; it reconnects as in a Plasma
# session.
trace=$work/protocol.trace
QT_WAYLAND_RECONNECT=1 WAYLAND_DEBUG=1 app_errors=$trace start_app
restored() { (($(grep -c 'Window restored successfully' "$work/app.log") == $1)); }
poll restored 2 || fail "the pins were not restored"
# Both pins' surfaces configured by KWin (the corner card's too: no tray runs here).
configured() { (($(grep -cE 'zwlr_layer_surface_v1#[0-9]+\.configure\(' "$trace") >= $1)); }
poll configured 3 || fail "KWin did not configure the layer surfaces"

# foot, placed in the middle, over the right of pin A; it has the keyboard.
WAYLAND_DEBUG=1 foot -o main.initial-window-size-pixels=600x300 sleep 600 2>"$work/foot.trace" &
poll grep -q 'wl_keyboard#[0-9]*\.enter' "$work/foot.trace" || fail "foot has no keyboard"
[[ $(kwin_says "at(500, 450)") == "foot $prog$desktop" ]] ||
  fail "stacked: $(kwin_says "at(500, 450)")"
# A Shift-drag from pin A where foot does not cover it, 100 px to the right.
"$(dirname "$0")/wayland_input.py" "$work/py" at 300 450 shift press at 400 450 release unshift ||
  fail "no fake input"
poll eval '(($(grep -c "wl_pointer#[0-9]*\.button(" "$trace") == 2))' ||
  fail "the click missed: $(grep "wl_pointer#" "$trace")"
! grep -q 'wl_keyboard#[0-9]*\.leave' "$work/foot.trace" || fail "a click took foot's keyboard"
grown='any(.[]; .storedFilename == "A.png" and .baseWidth > 300)'
poll jq -e "$grown" "$work/data/Corkwallery/pinned-photos.json" || fail "not resized: $(state)"
before=$(state)

qdbus6 org.kde.kglobalaccel /component/kwin org.kde.kglobalaccel.Component.invokeShortcut \
  "Show Desktop" || fail "no Show Desktop shortcut"
# foot hidden, pin A and the corner card still there.
poll eval '[[ $(kwin_says "[at(500, 450), at(1416, 24)]") == "$prog$desktop,$prog$desktop" ]]' ||
  fail "through Show Desktop: $(kwin_says "[at(500, 450), at(1416, 24)]")"
ours='workspace.stackingOrder.filter(w => w.resourceClass == "'$prog'")'
[[ $(kwin_says "$ours.map(w => w.skipSwitcher && w.skipTaskbar)") == true,true,true ]] ||
  fail "listed in the switcher or task bar"

# KWin killed: the wrapper starts another on the same socket, the program puts its surfaces back.
saved=$(saves)
kill -KILL "$(pgrep -P "$wrapper" -x kwin_wayland)"
poll grep -q 'Attempting wayland reconnect' "$trace" || fail "no reconnection"
poll configured 6 || fail "no surfaces after the reconnection"
poll eval '[[ $(kwin_says "[at(400, 450), at(1416, 24)]") == "$prog"*,"$prog"* ]]' ||
  fail "not back: $(kwin_says "[at(400, 450), at(1416, 24)]")"
kill -0 "$app" 2>/dev/null && (($(saves) == saved)) || fail "saved or ended on the restart"
stop_app
[[ $(state) == "$before" ]] || fail "the places changed: $(state)"
! grep -q 'get_toplevel(' "$trace" || fail "a window of the program is an ordinary window"
# Every surface, both pins' and the corner card's, is on the bottom layer (1), a dock to KWin.
bottom='get_layer_surface\(new id zwlr_layer_surface_v1#[0-9]+, wl_surface#[0-9]+, wl_output#[0-9]+, 1, "dock"\)'
(($(grep -c 'get_layer_surface(' "$trace") == $(grep -cE "$bottom" "$trace"))) ||
  fail "not every window a bottom-layer dock"

# KWin gone, and nothing behind its socket: the program ends and saves nothing.
QT_WAYLAND_RECONNECT=1 start_app
poll restored 4 || fail "the pins were not restored again"
saved=$(saves)
kill -KILL "$wrapper" "$(pgrep -P "$wrapper" -x kwin_wayland)"
poll eval '! kill -0 $app' || fail "the program outlived KWin"
(($(saves) == saved)) || fail "saved without KWin"
echo "PASS"
