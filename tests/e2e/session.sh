# Shared set-up of the end-to-end journeys: a private X server (Xvfb 1440x900 with openbox,
# xcompmgr and a trayer tray) and a private session bus, the program under a temporary home,
# polling and screenshots.
# Sourced by each journey after it has set: bin (the program), rc (openbox rc), shots (folder);
# with late_tray=1 the tray is left for the journey to start (start_tray).

command -v Xvfb >/dev/null || { echo "Xvfb is not installed"; exit 77; }
command -v dbus-daemon >/dev/null || { echo "dbus-daemon is not installed"; exit 77; }
[[ -f $rc ]] || { echo "no openbox configuration $rc"; exit 77; }
mkdir -p "$shots"
rc=$(realpath "$rc")  # openbox reads a relative path against its own folder
work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [[ -f $work/app.log ]] && sed 's/^/  app: /' "$work/app.log"; exit 1; }
forget() {
  local kept=() pid
  for pid in "${pids[@]}"; do [[ $pid != "$1" ]] && kept+=("$pid"); done
  pids=("${kept[@]}")
}
# Ends a process started here by its PID.
stop_pid() { kill "$1" && wait "$1" 2>/dev/null; forget "$1"; }
# Polls a command for up to 30 s (or $poll_seconds).
poll() {
  local end=$((SECONDS + ${poll_seconds:-30}))
  until "$@" >/dev/null 2>&1; do ((SECONDS < end)) || return 1; sleep 0.05; done
}
# Starts a command until `check` holds within 10 s, three times at most: openbox and trayer now
# and then fail to come up on a loaded machine. Its PID is $started.
start_checked() {
  local check=$1 attempt
  shift
  for attempt in 1 2 3; do
    "$@" >>"$work/$1.log" 2>&1 &
    started=$!
    for _ in $(seq 200); do $check >/dev/null 2>&1 && { pids+=($started); return 0; }; sleep 0.05; done
    kill "$started" 2>/dev/null
    wait "$started" 2>/dev/null
  done
  fail "$1 did not start: $(cat "$work/$1.log")"
}

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & pids+=($!)
poll test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
poll xdpyinfo || fail "no display $DISPLAY"
start_checked "wmctrl -m" openbox --config-file "$rc"
xcompmgr -n >/dev/null 2>&1 & compositor=$! && pids+=($compositor)
# trayer as the X11 tray host; its PID is $tray.
start_tray() {
  start_checked "xdotool search --onlyvisible --class trayer" trayer --edge top --align right \
    --widthtype request --height 24 --SetDockType true --transparent false
  tray=$started
}
[[ ${late_tray:-0} == 1 ]] || start_tray

# A session bus of the session's own, so no panel of the user's sees the program's tray icon.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 & pids+=($!)
poll test -s "$work/bus" || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
for sub in home data config cache; do mkdir -p "$work/$sub"; done
mkdir -m 700 "$work/runtime"  # the journey's own runtime directory, so it shares no lock

# Runs the program in the temporary home, in place of the shell that calls it; QT_QPA_PLATFORM is
# $app_platform (xcb).
run_app() {
  QT_QPA_PLATFORM=${app_platform:-xcb} HOME=$work/home XDG_DATA_HOME=$work/data \
    XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime exec "$bin"
}
# Starts the program as $app, logging to $work/app.log.
start_app() {
  run_app >>"$work/app.log" 2>&1 &
  app=$!
  pids+=($app)
}
# Waits for the program to end and checks that it exits with status 0; SIGTERM it first unless
# told it ends by itself.
stop_app() {
  [[ ${1:-} == ends ]] || kill -TERM "$app"
  wait "$app"
  local status=$?
  forget "$app"
  ((status == 0)) || fail "exit status $status at the end"
}
# Saves that have written the state file.
saves() { grep -c "Wrote [0-9]* bytes successfully" "$work/app.log"; }
# Runs a command and waits for the save that follows it.
after_save() {
  local before
  before=$(saves)
  "$@"
  saved() { (($(saves) > before)); }
  poll saved || fail "no save after: $*"
}
state() { cat "$work/data/Corkwallery/pinned-photos.json"; }

# Prints "X Y W H id" of the program's first visible window whose geometry (X, Y, WIDTH, HEIGHT,
# y down) satisfies the arithmetic condition.
window_where() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    (($1)) && { echo "$X $Y $WIDTH $HEIGHT $id"; return 0; }
  done
  return 1
}
# The window wider than $3 (100) centred (within a pixel) at ($1, $2).
window_centred_at() {
  window_where "WIDTH > ${3:-100} && (2 * X + WIDTH - 2 * $1) ** 2 <= 4 && (2 * Y + HEIGHT - 2 * $2) ** 2 <= 4"
}
tray_icon() { window_where "Y >= 0 && Y + HEIGHT <= 24 && X >= 1340 && WIDTH >= 16 && WIDTH <= 24"; }
menu() { window_where "HEIGHT > 40 && HEIGHT < 170 && WIDTH < 300"; }

# Opens the tray menu with a left click. The tray may still be placing a new icon: a click that
# misses it is tried again where it now is.
open_tray_menu() {
  local x y w h attempt
  for attempt in 1 2 3; do
    read -r x y w h _ <<<"$(tray_icon)" || fail "no tray icon"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    poll_seconds=5 poll menu && return 0
  done
  fail "a left click did not open the tray menu"
}
# Picks the tray menu's entry `n` steps down from the top.
choose_from_menu() {
  open_tray_menu
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
}

# The recipe for every desktop-level window of the program: below other windows, on every
# workspace, out of taskbar and pager, never focused, of no special type, not override-redirect.
desktop_window() {
  local states state
  states=$(xprop -id "$1" _NET_WM_STATE _NET_WM_DESKTOP WM_HINTS _NET_WM_WINDOW_TYPE)
  for state in SKIP_TASKBAR SKIP_PAGER BELOW; do
    grep -q "_NET_WM_STATE_$state" <<<"$states" || fail "window $1 lacks $state: $states"
  done
  grep -q "_NET_WM_DESKTOP(CARDINAL) = 4294967295" <<<"$states" || fail "$1: not on all desktops"
  grep -q "input focus: False" <<<"$states" || fail "window $1 accepts the focus"
  grep -q "TYPE_DESKTOP\|TYPE_DOCK\|TYPE_UTILITY" <<<"$states" && fail "$1: wrong type: $states"
  xwininfo -id "$1" | grep -q "Override Redirect State: no" || fail "$1 is override-redirect"
}

# The picture is taken once two in a row agree, so every window has been painted.
# PPM carries no time stamps, so equal pictures are equal files.
settled() {
  import -window root "$work/shot.ppm" &&
    [[ -f $work/last.ppm ]] && cmp -s "$work/shot.ppm" "$work/last.ppm"
  local same=$?
  mv "$work/shot.ppm" "$work/last.ppm"
  return $same
}
# Saves the settled screen as $shots/<name>.png.
screenshot() {
  rm -f "$work/last.ppm"
  poll settled || fail "the screen did not settle"
  convert "$work/last.ppm" "$shots/$1.png" || fail "no screenshot $1"
}
