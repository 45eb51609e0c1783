#!/usr/bin/env bash
# The program as a native Wayland client on KWin 6 (kwin_wayland --virtual, software rendering),
# read from the protocol it speaks (WAYLAND_DEBUG): each saved pin is a layer surface on the bottom
# layer, held top-left at margins that put its centre at the saved place, with its own size, and
# KWin configures it; no pin is an ordinary window; a quit saves the same places. KWin offers
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

# Each pin's surface: bottom layer (1), margins (top, right, bottom, left) that centre its size
# on the saved place, in Qt's coordinates (y down from the top of the 900-point output).
surfaces=$(grep -oE 'get_layer_surface\(new id zwlr_layer_surface_v1#[0-9]+, wl_surface#[0-9]+, wl_output#[0-9]+, 1, "corkwallery"\)' "$trace" |
  grep -oE 'zwlr_layer_surface_v1#[0-9]+')
for expected in "400 450" "1040.5 600"; do
  read -r x y <<<"$expected"
  found=''
  for surface in $surfaces; do
    read -r top left < <(grep -oE "$surface\.set_margin\([-0-9]+, 0, 0, [-0-9]+\)" "$trace" |
      tail -n1 | sed -E 's/.*\(([-0-9]+), 0, 0, ([-0-9]+)\)/\1 \2/')
    read -r width height < <(grep -oE "$surface\.set_size\([0-9]+, [0-9]+\)" "$trace" |
      tail -n1 | sed -E 's/.*\(([0-9]+), ([0-9]+)\)/\1 \2/')
    [[ -n ${top:-} && -n ${width:-} ]] || continue
    # Centred within a point's rounding.
    awk -v l="$left" -v t="$top" -v w="$width" -v h="$height" -v x="$x" -v y="$y" \
      'BEGIN { dx = l + w / 2 - x; dy = t + h / 2 - y; exit !(dx * dx <= 1 && dy * dy <= 1) }' &&
      found=$surface
  done
  [[ -n $found ]] || fail "no bottom-layer surface centred at ($x, $y)"
done
echo "PASS"
