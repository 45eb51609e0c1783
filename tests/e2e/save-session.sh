#!/usr/bin/env bash
# The program in a session of xsm, the X session manager, driven through its own buttons: a
# checkpoint ("Checkpoint", saving both the state and the data) saves the pins once and leaves the
# program running; a shutdown with checkpoint saves them and, at the manager's Die, saves once
# more and ends the program with status 0. The session saved does not restart the program. (That
# a running copy answers later starts, app.FilesGiven* checks.)
# Usage: save-session.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
command -v xsm >/dev/null && command -v stdbuf >/dev/null || { echo "needs xsm and stdbuf"; exit 77; }
source "$(dirname "$0")/session.sh"

# xsm starts what its startup file lists: here only a script that hands its SESSION_MANAGER to the
# journey, which starts the program itself so as to see its exit status. Both read the ICE
# authority file that xsm writes.
cat >"$work/report-manager" <<EOF
#!/bin/sh
echo "\$SESSION_MANAGER" >"$work/manager.tmp" && mv "$work/manager.tmp" "$work/manager"
EOF
chmod +x "$work/report-manager"
echo "$work/report-manager" >"$work/home/.xsmstartup"
export ICEAUTHORITY=$work/ICEauthority
HOME=$work/home stdbuf -oL xsm -verbose >"$work/xsm.log" 2>&1 &
poll test -s "$work/manager" || fail "xsm did not start: $(cat "$work/xsm.log")"
SESSION_MANAGER=$(cat "$work/manager") start_app
poll grep -q "received REGISTER CLIENT" "$work/xsm.log" || fail "the program did not join the session: $(cat "$work/xsm.log")"
poll window_centred_at 720 450 || fail "no welcome card"

# xsm's main window holds four buttons in two rows: Client List, Session Log; Checkpoint, Shutdown.
manager_window=$(xdotool search --name '^xsm: ' | head -n1)
# Prints "x y w h": the centre (in the main window) and the size of its button $1, counted in rows
# from the top left: 3 is Checkpoint, 4 Shutdown.
manager_button() {
  local form
  form=$(xwininfo -children -id "$manager_window" | awk '/^ +0x/ { print $1; exit }')
  xwininfo -children -id "$form" | grep -oE '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+ ' | sort -t+ -k3n -k2n |
    awk -F'[x+]' -v n="$1" 'NR == n { print int($3 + $1 / 2), int($4 + $2 / 2), $1, $2 }'
}
dialog() { xdotool search --onlyvisible --name "^$1\$" | head -n1; }
# Confirms xsm's save dialog $1 with Return, after typing the session name $2 if given.
confirm_save() {
  xdotool windowactivate --sync "$(dialog "$1")" || fail "cannot focus the $1 dialog"
  [[ -z ${2:-} ]] || xdotool type --delay 2 "$2"
  xdotool key Return
}

before_saves=$(saves) before_completed=$(grep -c "sent SAVE COMPLETE" "$work/xsm.log")
read -r x y _ _ <<<"$(manager_button 3)"
xdotool mousemove --window "$manager_window" "$x" "$y" click 1
poll dialog Checkpoint || fail "no Checkpoint dialog"
confirm_save Checkpoint journey
poll eval '(($(grep -c "sent SAVE COMPLETE" "$work/xsm.log") > before_completed))' ||
  fail "the checkpoint did not complete: $(cat "$work/xsm.log")"
(($(saves) == before_saves + 1)) || fail "not one save at the checkpoint"
# The autostart entry starts the program at login, not the session manager.
grep -q "$(basename "$bin")" "$work/home/.XSM-journey" && fail "xsm would restart the program"
kill -0 "$app" || fail "the program ended at the checkpoint"

before_saves=$(saves)
read -r x y w h <<<"$(manager_button 4)"
# "Shutdown" is a menu that xsm shows below the button while it is pressed; "With Checkpoint" is
# its first entry.
windows() { xdotool search --onlyvisible --maxdepth 1 --name '' | wc -l; }
before_windows=$(windows)
xdotool mousemove --window "$manager_window" "$x" "$y" mousedown 1
poll_seconds=10 poll eval '(($(windows) > before_windows))' || fail "no menu under the Shutdown button"
xdotool mousemove_relative 0 "$h" mouseup 1
poll dialog Shutdown || fail "no Shutdown dialog"
confirm_save Shutdown
stop_app ends
grep -q "sent DIE" "$work/xsm.log" || fail "xsm did not end the session: $(cat "$work/xsm.log")"
(($(saves) == before_saves + 2)) || fail "not a save at the shutdown and one at the end"
echo "PASS"
