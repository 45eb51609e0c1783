#!/usr/bin/env bash
# The program as a native Wayland client on KWin 6 (kwin_wayland --virtual, software rendering),
# read from the protocol it speaks (WAYLAND_DEBUG): each saved pin is a layer surface on the bottom
# layer and KWin configures it; no pin is an ordinary window; a quit saves the same places. KWin offers
# neither the virtual pointer nor the screen capture that the sway journeys use, so nothing is
# dragged or photographed here. Skipped (77) where kwin_wayland is missing.
# Usage: kwin.sh <corkwallery binary>
set -uo pipefail
bin=$1
for needed in kwin_wayland dbus-run-session; do
  command -v "$needed" >/dev/null || { echo "needs $needed"; exit 77; }
done
source "$(dirname "$0")/journey.sh"
export XDG_RUNTIME_DIR=$work/runtime  # KWin's socket, where the program looks for it
mkdir -p "$work/data/Corkwallery/images"

KWIN_COMPOSE=Q QT_QPA_PLATFORM=offscreen kwin_wayland --virtual --width 1440 --height 900 \
  --socket wayland-corkwallery --no-lockscreen --no-global-shortcuts >"$work/kwin.log" 2>&1 &
poll test -S "$XDG_RUNTIME_DIR/wayland-corkwallery" || fail "kwin_wayland did not start"
export WAYLAND_DISPLAY=wayland-corkwallery
unset DISPLAY QT_QPA_PLATFORM

convert -size 600x400 xc:red "$work/data/Corkwallery/images/A.png" &&
  convert -size 600x400 xc:green "$work/data/Corkwallery/images/B.png" || fail "no test photos"
record() { echo "{\"storedFilename\":\"$1\",\"originalPath\":\"\",\"centerX\":$2,\"centerY\":$3,\"baseWidth\":300,\"baseHeight\":200,\"rotationAngle\":$4,\"pinColorName\":\"red\",\"isLocked\":false}"; }
echo "[$(record A.png 400 450 0),$(record B.png 1040.5 300 0.05)]" \
  >"$work/data/Corkwallery/pinned-photos.json"
before=$(state)

# Its protocol (WAYLAND_DEBUG, on standard error) apart from its log.
trace=$work/protocol.trace
WAYLAND_DEBUG=1 app_errors=$trace start_app
restored() { (($(grep -c 'Window restored successfully' "$work/app.log") == 2)); }
poll restored || fail "the pins were not restored"
# Both pins' surfaces configured by KWin (the corner card's too: no tray runs here).
configured() { (($(grep -cE 'zwlr_layer_surface_v1#[0-9]+\.configure\(' "$trace") >= 3)); }
poll configured || fail "KWin did not configure the layer surfaces"
stop_app
[[ $(state) == "$before" ]] || fail "the places changed: $(state)"
! grep -q 'get_toplevel(' "$trace" || fail "a window of the program is an ordinary window"

# Both pins and the corner card are surfaces on the bottom layer (1); where their margins put
# them, the sway journeys see.
bottom='get_layer_surface\(new id zwlr_layer_surface_v1#[0-9]+, wl_surface#[0-9]+, wl_output#[0-9]+, 1, "corkwallery"\)'
(($(grep -cE "$bottom" "$trace") == 3)) || fail "not every window a bottom-layer surface"
echo "PASS"
