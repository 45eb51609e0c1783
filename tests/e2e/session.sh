# Shared set-up of the end-to-end journeys on X11: a private X server (Xvfb 1440x900 with openbox,
# xcompmgr and a trayer tray), and what every journey has (journey.sh), with window checks and
# screenshots. Sourced by each journey, whose arguments are: the program, the openbox rc file, the
# folder for screenshots, the stand-ins for desktop services (DesktopServices.cpp) and the drag
# source (DragSource.cpp); with
# late_tray=1 the tray is left for the journey to start (start_tray). With desktop=xfce, mate,
# openbox, i3, plasma or gnome that desktop's window manager, desktop window and panel run instead
# of the bare openbox, xcompmgr and trayer. With x_server=xorg, Xorg's dummy driver stands in for
# Xvfb: two 1440x900 monitors side by side, DUMMY0 (primary) and DUMMY1, which xrandr can switch off
# and on.
set -uo pipefail
bin=$1 rc=$2 shots=$3 services=${4:-}

wm=(openbox --config-file "$(realpath -m "$rc")") desk=() panel=() helpers=()
case ${desktop:-} in
  xfce) wm=(xfwm4) desk=(xfdesktop) panel=(xfce4-panel) ;;
  mate) wm=(marco --no-composite) desk=(caja -n --force-desktop) panel=(mate-panel) ;;
  openbox) desk=(pcmanfm --desktop) panel=(lxpanel) ;;
  i3) wm=(i3 -c "$(dirname "${BASH_SOURCE[0]}")/i3-config") ;;
  # plasmashell draws both the desktop window and the panel.
  plasma) wm=(kwin_x11) desk=(plasmashell) helpers=(kded5 kglobalaccel5) ;;
  gnome) wm=(gnome-shell --x11 --replace) ;;
esac
server=Xvfb
if [[ ${x_server:-} == xorg ]]; then
  server=Xorg
  compgen -G "/usr/lib*/xorg/modules/drivers/dummy_drv.so" >/dev/null ||
    { echo "needs Xorg's dummy driver"; exit 77; }
  ((EUID == 0)) || { echo "needs root to start Xorg"; exit 77; }
fi
for needed in $server dbus-run-session "${wm[0]}" ${desk[0]:-} ${panel[0]:-} ${helpers[@]+"${helpers[@]}"}; do
  command -v "$needed" >/dev/null || { echo "needs $needed"; exit 77; }
done
[[ ${wm[0]} != openbox || -f $rc ]] || { echo "needs $rc"; exit 77; }
source "$(dirname "${BASH_SOURCE[0]}")/journey.sh"
app_platform=${app_platform:-xcb}
mkdir -p "$shots"
rc=$(realpath "$rc")  # openbox reads a relative path against its own folder

# Starts a command until `check` holds within 10 s (or $start_seconds), three times at most:
# openbox and trayer now and then fail to come up on a loaded machine. Its PID is $started; it
# runs in a session of its own, so nothing it does to its process group or terminal reaches the
# journey.
start_checked() {
  local check=$1 attempt
  shift
  for attempt in 1 2 3; do
    setsid "$@" >>"$work/$1.log" 2>&1 &
    started=$!
    poll_seconds=${start_seconds:-10} poll $check && return
    kill $started && wait $started
  done 2>/dev/null
  fail "$1 did not start: $(cat "$work/$1.log")"
}

# The server picks a free display itself and writes its number to fd 3 once it takes connections.
if [[ $server == Xorg ]]; then
  # Set up by a file of the journey's own (the empty -configdir keeps the machine's out), with no
  # input devices but XTEST's, sharing the current VT and switching none; -noreset keeps xrandr's
  # changes when the last client leaves. 16 MB of video memory hold both monitors at 32 bits a
  # pixel.
  mode='Modeline "1440x900" 106.5 1440 1528 1672 1904 900 903 909 934 -hsync +vsync
    Option "PreferredMode" "1440x900"'
  cat >"$work/xorg.conf" <<EOF
Section "ServerFlags" Option "AutoAddDevices" "off" Option "DontVTSwitch" "on" EndSection
Section "Device" Identifier "dummy" Driver "dummy" VideoRam 16384
  Option "Monitor-DUMMY0" "left" Option "Monitor-DUMMY1" "right" EndSection
Section "Monitor" Identifier "left" $mode EndSection
Section "Monitor" Identifier "right" $mode Option "Enable" "true" Option "RightOf" "left" EndSection
Section "Screen" Identifier "screen" Device "dummy" Monitor "left"
  SubSection "Display" Virtual 2880 900 EndSubSection EndSection
EOF
  mkdir "$work/xorg.conf.d"
  # Its D-Bus client gets the journey's bus, else it tries a system bus every 10 s, into its log.
  DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS Xorg -config "$work/xorg.conf" \
    -configdir "$work/xorg.conf.d" -logfile "$work/xorg.log" -nolisten tcp -noreset -novtswitch \
    -sharevts -displayfd 3 3>"$work/display" >/dev/null 2>&1 &
else
  Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
fi
poll test -s "$work/display" || fail "$server did not start"
export DISPLAY=:$(head -n1 "$work/display")
start_tray() { start_checked "xdotool search --onlyvisible --class trayer" trayer --edge top \
  --align right --widthtype request --height 24 --SetDockType true --transparent false; }
# Calls method $3 of object $2 of service $1 on the session bus, with arguments $4...
bus() { dbus-send --session --print-reply --dest="$1" "${@:2}"; }
# Holds when the window manager manages a window of type $1 (DESKTOP, DOCK).
window_of_type() {
  xprop -root _NET_CLIENT_LIST | grep -o '0x[0-9a-f]*' | xargs -r -I{} xprop -id {} _NET_WM_WINDOW_TYPE |
    grep "TYPE_$1" >/dev/null
}
if [[ -v desktop ]]; then
  # The desktop runs under a home of its own, so it neither reads nor writes the user's settings.
  mkdir -p "$work/desk/Desktop" && mkdir -m 700 "$work/desk/runtime"
  export HOME=$work/desk XDG_CONFIG_HOME=$work/desk/.config XDG_DATA_HOME=$work/desk/.local/share \
    XDG_CACHE_HOME=$work/desk/.cache XDG_RUNTIME_DIR=$work/desk/runtime
  # Services the bus starts for the desktop (mate-panel's applets) need the display and that home.
  dbus-update-activation-environment DISPLAY HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME \
    XDG_RUNTIME_DIR
  case $desktop in
    plasma)
      # No Bluetooth. KWin composites in software; plasmashell's tray hosts the StatusNotifier
      # items that kded5's watcher lists; KWin and plasmashell need kglobalaccel5.
      mkdir -p "$XDG_CONFIG_HOME"
      printf '[Module-bluedevil]\nautoload=false\n' >"$XDG_CONFIG_HOME/kded5rc"
      export KWIN_COMPOSE=O2 LIBGL_ALWAYS_SOFTWARE=1
      start_checked "bus org.kde.kded5 / org.freedesktop.DBus.Peer.Ping" kded5
      bus org.kde.kded5 /kded org.kde.kded5.loadModule string:statusnotifierwatcher >/dev/null
      start_checked "bus org.kde.kglobalaccel / org.freedesktop.DBus.Peer.Ping" kglobalaccel5
      ;;
    gnome)
      # gnome-shell's login-manager code needs a system bus; a private one, where nothing answers.
      dbus-daemon --session --nofork --address="unix:path=$work/system-bus" >/dev/null 2>&1 &
      export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system-bus LIBGL_ALWAYS_SOFTWARE=1
      poll test -S "$work/system-bus" || fail "no system bus"
      ;;
  esac
  start_seconds=30 start_checked "wmctrl -m" "${wm[@]}"
  ((${#desk[@]} == 0)) || start_seconds=30 start_checked "window_of_type DESKTOP" "${desk[@]}"
  ((${#panel[@]} == 0)) || start_checked "window_of_type DOCK" "${panel[@]}"
  if [[ $desktop == gnome ]]; then
    # gnome-shell ends its start in its overview; it is closed once it has opened.
    overview() {
      bus org.gnome.Shell /org/gnome/Shell "org.freedesktop.DBus.Properties.$1" \
        string:org.gnome.Shell string:OverviewActive ${2:+"variant:boolean:$2"}
    }
    poll eval 'overview Get | grep -q true' || fail "gnome-shell did not open its overview"
    overview Set false >/dev/null && poll eval 'overview Get | grep -q false' ||
      fail "the overview did not close"
  fi
else
  start_checked "wmctrl -m" "${wm[@]}"
  xcompmgr -n >/dev/null 2>&1 & compositor=$!
  [[ -v late_tray ]] || start_tray
fi

# Two saved pins, A at (400, 450) and B at (1040.5, 449.75) in X's coordinates (y = 900 - y in the
# file), their photos drawn from $1 and $2 ("xc:red", say); their records $A and $B.
two_pins() {
  photo A-left.png "$1" && photo B-right.png "$2"
  A=$(record A-left.png 400 450) B=$(record B-right.png 1040.5 450.25 0.05 blue)
  pinned "$A" "$B"
}
# Pointer moves from ($1, $2) by ($3, $4) in $5 equal steps, as xdotool arguments.
moves() {
  for i in $(seq "$5"); do echo "mousemove $(($1 + $3 * i / $5)) $(($2 + $4 * i / $5))"; done
}

# Prints "X Y W H id" of the program's first visible window whose geometry (X, Y, WIDTH, HEIGHT,
# y down) and id satisfy the arithmetic condition.
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
menu() { window_where "HEIGHT > 40 && HEIGHT < 260 && WIDTH < 300"; }

# The recipe for every desktop-level window of the program: of the desktop type, on every
# workspace, out of taskbar and pager, never focused, not override-redirect.
desktop_window() {
  local facts want
  facts=$(xprop -id "$1"; xwininfo -id "$1")
  for want in SKIP_TASKBAR SKIP_PAGER "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DESKTOP" \
    "DESKTOP(CARDINAL) = 4294967295" "input focus: False" "Override Redirect State: no"; do
    grep -qF "$want" <<<"$facts" || fail "window $1 lacks $want: $facts"
  done
}

# The screen once two pictures in a row agree, so every window has been painted (PPM carries no
# time stamps, so equal pictures are equal files); saved as $shots/<name>.png.
settled() {
  mv -f "$work/new.ppm" "$work/last.ppm"
  import -window root "$work/new.ppm" && cmp -s "$work"/{new,last}.ppm
}
screenshot() {
  rm -f "$work"/*.ppm
  poll settled && convert "$work/new.ppm" "$shots/$1.png" || fail "the screen did not settle for $1"
}
