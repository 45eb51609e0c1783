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
xsm=$!
poll test -s "$work/manager" || fail "xsm did not start: $(cat "$work/xsm.log")"
registered() { grep -q "received REGISTER CLIENT" "$work/xsm.log"; }
SESSION_MANAGER=$(cat "$work/manager") start_app
poll registered || fail "the program did not join the session: $(cat "$work/xsm.log")"
poll window_centred_at 720 450 || fail "no welcome card"

# xsm's main window holds four buttons in two rows; the lower row is Checkpoint, Shutdown.
manager_window=$(xdotool search --name '^xsm: ' | head -n1)
[[ -n $manager_window ]] || fail "no xsm window"
# Prints "x y w h": the centre (in the main window) and the size of the lower row's button on the
# $1 (left or right).
manager_button() {
  local form
  form=$(xwininfo -children -id "$manager_window" | awk '/^ +0x/ { print $1; exit }')
  xwininfo -children -id "$form" | awk -v side="$1" '
    /^ +0x/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$/) {
      split($i, n, /[x+]/); k++; w[k] = n[1]; h[k] = n[2]; x[k] = n[3]; y[k] = n[4] } }
    END { for (i = 1; i <= k; i++)
            if (!p || y[i] > y[p] || (y[i] == y[p] && (side == "left" ? x[i] < x[p] : x[i] > x[p])))
              p = i
          print int(x[p] + w[p] / 2), int(y[p] + h[p] / 2), w[p], h[p] }'
}
dialog() { xdotool search --onlyvisible --name "^$1\$" | head -n1; }
# Confirms xsm's save dialog $1 with Return, after typing the session name $2 if given.
confirm_save() {
  xdotool windowactivate --sync "$(dialog "$1")" || fail "cannot focus the $1 dialog"
  [[ -z ${2:-} ]] || xdotool type --delay 2 "$2"
  xdotool key Return
}
calls() { grep -c "saveState() called" "$work/app.log"; }
completed() { (($(grep -c "sent SAVE COMPLETE" "$work/xsm.log") > $1)); }

before_saves=$(saves) before_calls=$(calls) before_completed=$(grep -c "sent SAVE COMPLETE" "$work/xsm.log")
read -r x y _ _ <<<"$(manager_button left)"
xdotool mousemove --window "$manager_window" "$x" "$y" click 1
poll dialog Checkpoint || fail "no Checkpoint dialog"
confirm_save Checkpoint journey
poll completed "$before_completed" || fail "the checkpoint did not complete: $(cat "$work/xsm.log")"
grep -q "Save Type = Both, Shutdown = False" "$work/xsm.log" || fail "not a checkpoint of both kinds"
(($(saves) == before_saves + 1 && $(calls) == before_calls + 1)) || fail "not one save at the checkpoint"
# The autostart entry starts the program at login, not the session manager.
grep -q "$(basename "$bin")" "$work/home/.XSM-journey" && fail "xsm would restart the program"
kill -0 "$app" || fail "the program ended at the checkpoint"

before_saves=$(saves)
read -r x y w h <<<"$(manager_button right)"
# "Shutdown" is a menu that xsm shows below the button while it is pressed; "With Checkpoint" is
# its first entry.
read -r left top <<<"$(xwininfo -id "$manager_window" | awk '/Absolute upper-left/ { printf "%s ", $NF }')"
menu_x=$((left + x - w / 2)) menu_y=$((top + y + h / 2))
shutdown_menu() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  for id in $(xdotool search --onlyvisible --maxdepth 1 --name ''); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    (((X - menu_x) ** 2 <= 36 && (Y - menu_y) ** 2 <= 36)) && return 0
  done
  return 1
}
xdotool mousemove --window "$manager_window" "$x" "$y" mousedown 1
poll_seconds=10 poll shutdown_menu || fail "no menu under the Shutdown button"
xdotool mousemove_relative 0 "$h" mouseup 1
poll dialog Shutdown || fail "no Shutdown dialog"
confirm_save Shutdown
stop_app ends
grep -q "Save Type = Both, Shutdown = True" "$work/xsm.log" || fail "not a shutdown: $(cat "$work/xsm.log")"
grep -q "sent DIE" "$work/xsm.log" || fail "xsm did not end the session"
(($(saves) == before_saves + 2)) || fail "not a save at the shutdown and one at the end"
poll grep -q "SESSION MANAGER GOING AWAY" "$work/xsm.log" || fail "xsm did not end"
wait "$xsm"
echo "PASS"
