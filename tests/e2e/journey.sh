# What every end-to-end journey shares, sourced once its tools are found (session.sh on X11,
# sway.sh and kwin.sh on Wayland), with the program as $bin: a session bus of its own, a temporary
# home with XDG folders and runtime directory ($work), failures said with the logs, polling, and
# the program's start, stop and saves.

# A session bus of the journey's own, so no panel of the user's sees the program's tray icon.
# Every process of the journey, the bus's services among them, carries its mark in its environment.
[[ -v corkwallery_e2e_bus ]] || corkwallery_e2e_bus=$$ exec dbus-run-session -- "$0" "$@"
work=$(mktemp -d)
# The journey's own runtime directory, so it shares no lock.
mkdir -p "$work"/{home,data,config,cache} && mkdir -m 700 "$work/runtime"
# The journey's processes but dbus-run-session and its children, this shell and the bus, which it
# ends itself.
journey_processes() {
  local environ pid parent
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/} && pid=${pid%/environ}
    parent=$(awk '{ print $4 }' "/proc/$pid/stat" 2>/dev/null)
    ((pid != PPID && parent != PPID)) &&
      grep -qzx "corkwallery_e2e_bus=$corkwallery_e2e_bus" "$environ" 2>/dev/null && echo "$pid"
  done
}
# Every program the journey started ends, by SIGKILL if it has not ended 2 s after SIGTERM (kwin_x11
# may hang once its X server is gone), and so do the services the bus started, which would outlive
# it and keep the journey's output open.
finish() {
  local pids=$(jobs -p) i
  kill $pids 2>/dev/null
  for i in {1..40}; do kill -0 $pids 2>/dev/null || break; sleep 0.05; done
  kill -KILL $pids $(journey_processes) 2>/dev/null
  wait
  rm -rf "$work"
}
trap finish EXIT

# Says what failed, with the program's log and the end of each other program's log, on the
# journey's own output even from a trap that interrupts a polled check's silenced one.
exec {out}>&1
fail() {
  {
    echo "FAIL: $*"
    sed 's/^/  app: /' "$work/app.log"
    for log in "$work"/*.log; do
      [[ $log == */app.log ]] || tail -n 5 "$log" | sed "s|^|  $(basename "$log" .log): |"
    done
  } >&$out 2>/dev/null
  exit 1
}
# A journey ended from outside says so, and by what.
for signal in TERM HUP INT PIPE; do trap "fail 'ended by SIG$signal'" $signal; done
# Polls a command for up to 30 s (or $poll_seconds).
poll() {
  local end=$((SECONDS + ${poll_seconds:-30}))
  until "$@" >/dev/null 2>&1; do ((SECONDS < end)) || return 1; sleep 0.05; done
}

# Runs the program in the temporary home, in place of the calling shell, with QT_QPA_PLATFORM
# $app_platform where it is set.
run_app() {
  exec env ${app_platform:+QT_QPA_PLATFORM=$app_platform} HOME="$work/home" \
    XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    XDG_RUNTIME_DIR="$work/runtime" "$bin"
}
# Its standard error goes to $app_errors where that is set.
start_app() { run_app >>"$work/app.log" 2>>"${app_errors:-$work/app.log}" & app=$!; }
# Waits for the program to exit with status 0; SIGTERM first unless told it ends by itself.
stop_app() { [[ ${1:-} == ends ]] || kill "$app"; wait "$app" || fail "exit status $? at the end"; }
# Saves that have written the state file.
saves() { grep -c "Wrote [0-9]* bytes successfully" "$work/app.log"; }
# Runs a command and waits for the save that follows it.
after_save() {
  local before=$(saves)
  "$@" && poll eval '(($(saves) > before))' || fail "no save after: $*"
}
state() { cat "$work/data/Corkwallery/pinned-photos.json"; }
# Photo $1 in the images folder: 600 x 400, drawn by ImageMagick from $2... ("xc:red", say).
photo() {
  mkdir -p "$work/data/Corkwallery/images" &&
    convert -size 600x400 "${@:2}" "$work/data/Corkwallery/images/$1" || fail "no test photo $1"
}
# The record of photo $1 centred at ($2, $3) (y up), 300 x 200, turned by $4 (0), its pin $5 (red).
record() {
  echo "{\"storedFilename\":\"$1\",\"originalPath\":\"\",\"centerX\":$2,\"centerY\":$3,\"baseWidth\":300,\"baseHeight\":200,\"rotationAngle\":${4:-0},\"pinColorName\":\"${5:-red}\",\"isLocked\":false}"
}
# The state file of the records given.
pinned() { (IFS=, && echo "[$*]") >"$work/data/Corkwallery/pinned-photos.json"; }
# How many lines of the program's log hold $1.
logged() { grep -c "$1" "$work/app.log"; }
# "x y" where the log last said pin $1 was brought in, y down from the top of a 900-point screen.
brought_at() {
  sed -n "s/.*Brought pin $1 back on screen: center=(\([-0-9.]*\), \([-0-9.]*\)).*/\1 \2/p" \
    "$work/app.log" | tail -n1 | awk '{ printf "%.0f %.0f\n", $1, 900 - $2 }'
}
# Holds when the 200 x 60 block at ($2, $3) of picture $1 keeps one-pixel black and white columns
# apart (a standard deviation above 0.3), as only a photo decoded for the screen's scale does.
sharp() { (($(convert "$1" -crop "200x60+$2+$3" -format '%[fx:standard_deviation > 0.3]' info:))); }
# Fails with message $2 unless the state file matches the pattern $1.
saved() { grep -q "$1" <<<"$(state)" || fail "$2: $(state)"; }
