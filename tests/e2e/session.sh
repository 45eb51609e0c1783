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
# A process started here, ended by its PID.
stop_pid() {
  kill "$1" && wait "$1" 2>/dev/null
  local kept=() pid
  for pid in "${pids[@]}"; do [[ $pid != "$1" ]] && kept+=("$pid"); done
  pids=("${kept[@]}")
}
# Polls a command for up to 30 s.
poll() {
  for _ in $(seq 600); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
poll test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
poll xdpyinfo || fail "no display $DISPLAY"

# openbox now and then fails to take over a fresh display on a loaded machine: give it three tries.
window_manager_up() {
  for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}
for attempt in 1 2 3; do
  openbox --config-file "$rc" >>"$work/openbox.log" 2>&1 &
  wm=$!
  window_manager_up && break
  kill "$wm" 2>/dev/null
  wait "$wm" 2>/dev/null
  ((attempt < 3)) || fail "openbox did not start: $(cat "$work/openbox.log")"
done
pids+=($wm)
xcompmgr -n >/dev/null 2>&1 & pids+=($!)
# Starts trayer as the X11 tray host; its PID is $tray.
# trayer, like openbox, now and then fails to come up on a loaded machine: three tries.
start_tray() {
  local attempt
  for attempt in 1 2 3; do
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
      --transparent false >/dev/null 2>&1 &
    tray=$!
    for _ in $(seq 200); do
      xdotool search --onlyvisible --class trayer >/dev/null 2>&1 && { pids+=($tray); return 0; }
      sleep 0.05
    done
    kill "$tray" 2>/dev/null
    wait "$tray" 2>/dev/null
  done
  fail "trayer did not start"
}
[[ ${late_tray:-0} == 1 ]] || start_tray

# A session bus of the session's own, so no panel of the user's sees the program's tray icon.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
poll test -s "$work/bus" || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

for sub in home data config cache; do mkdir -p "$work/$sub"; done
mkdir -m 700 "$work/runtime"  # the journey's own runtime directory, so it shares no lock

# The PID of the session's process running `name`.
started() {
  local pid
  for pid in "${pids[@]}"; do
    [[ $(ps -o comm= -p "$pid") == "$1" ]] && { echo "$pid"; return 0; }
  done
  return 1
}

# Starts the program as $app, logging to $work/app.log; QT_QPA_PLATFORM is $app_platform (xcb).
start_app() {
  QT_QPA_PLATFORM=${app_platform:-xcb} HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
    XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime "$bin" >>"$work/app.log" 2>&1 &
  app=$!
  pids+=($app)
}

# Ends the program with SIGTERM and checks that it exits with status 0.
stop_app() {
  kill -TERM "$app"
  wait "$app"
  local status=$?
  local kept=() pid
  for pid in "${pids[@]}"; do [[ $pid != "$app" ]] && kept+=("$pid"); done
  pids=("${kept[@]}")
  ((status == 0)) || fail "exit status $status after SIGTERM"
}

# Prints "id WxH+X+Y" of the program's first visible window of that size (within 2 pixels) whose
# centre is (cx, cy) in X coordinates (y down).
window_centred_at() {
  local cx=$1 cy=$2 minw=${3:-100} id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((WIDTH > minw && (2 * X + WIDTH - 2 * cx) ** 2 <= 4 && (2 * Y + HEIGHT - 2 * cy) ** 2 <= 4)); then
      echo "$id ${WIDTH}x${HEIGHT}+$X+$Y"
      return 0
    fi
  done
  return 1
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

# The tray icon's centre, "x y".
tray_icon_centre() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if ((Y + HEIGHT <= 24 && WIDTH <= 24)); then
      echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
      return 0
    fi
  done
  return 1
}
menu_open() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    ((Y < 40 && HEIGHT > 60)) && return 0
  done
  return 1
}

# Opens the tray menu with a left click and picks the entry `n` steps down from the top.
choose_from_menu() {
  local steps=$1 xy
  xy=$(tray_icon_centre) || fail "no tray icon"
  xdotool mousemove ${xy% *} ${xy#* } click 1
  poll menu_open || fail "the tray menu did not open"
  for ((i = 0; i < steps; i++)); do xdotool key Down; done
  xdotool key Return
}
