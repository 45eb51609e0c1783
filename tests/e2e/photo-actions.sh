#!/usr/bin/env bash
# A photo's own actions and the undo, on openbox with the project's rc, with a stand-in
# notification service and file manager on the bus and a stand-in xdg-open: a double click and
# "Open Photo" open the copy, "Show Original" shows the chosen file in the file manager; the tray
# menu's list reaches a photo from the keyboard and locks it; "Remove Photo" says so with an Undo
# button that brings the pin back byte for byte from the Trash. As root, with the data folder on a
# full tmpfs: one notification says saves fail; once there is room the next save writes every
# change and withdraws it.
# Usage: photo-actions.sh <corkwallery binary> <openbox rc file> <folder for screenshots>
#        <stand-in services>
((EUID != 0)) || [[ -v private_mounts ]] ||
  private_mounts=1 exec unshare --mount --propagation private "$0" "$@"
source "$(dirname "$0")/session.sh"
[[ -v private_mounts ]] && mount -t tmpfs -o size=4m tmpfs "$work/data" &&
  trap 'umount -l "$work/data"; finish' EXIT
"$services" desktop >"$work/desktop.log" 2>&1 &
poll grep -q serving "$work/desktop.log" || fail "no stand-in desktop services"
mkdir "$work/bin" && printf '#!/bin/sh\necho "$@" >>%s/opened\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open" && convert -size 60x40 xc:gray "$work/home/a.png"
photo A.png xc:red && photo B.png xc:blue
pinned "$(record A.png 400 450 | sed "s|\"originalPath\":\"\"|\"originalPath\":\"$work/home/a.png\"|")" \
  "$(record B.png 1040 450)"
PATH=$work/bin:$PATH start_app
poll window_centred_at 1040 450 || fail "pin B not shown"

xdotool mousemove 400 450 click --repeat 2 --delay 100 1
poll grep -q "images/A.png" "$work/opened" || fail "a double click did not open A's copy"
xdotool mousemove 400 450 click 3 && poll menu && xdotool key Down Down Down Return  # Show Original
poll grep -q "show file://$work/home/a.png" "$work/desktop.log" || fail "the original was not shown"
read -r ix iy iw ih _ <<<"$(tray_icon)"
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1 && poll menu
xdotool key Down Down Right Down Right && screenshot photos-in-tray-menu  # Photos, B.png
after_save xdotool key Return  # Lock Photo
saved '"B.png",[^}]*"isLocked":true' "the tray menu's list did not lock B"

before=$(state)
xdotool mousemove 400 450 click 3 && poll menu && after_save xdotool key Up Return  # Remove Photo
# The home's Trash, or the data folder's own on a drive of its own.
trashed=$(ls "$work"/data/{Trash,.Trash-$EUID}/files/A.png 2>/dev/null)
[[ -n $trashed && $(state) != *A.png* ]] || fail "A not removed to the Trash"
poll grep -q "Photo removed|A.png went to the Trash.|corkwallery-action,Undo" "$work/desktop.log" ||
  fail "no notification with an Undo button"
read -r id _ < <(sed -n 's/^notify \([0-9]*\) 0 Photo removed.*/\1/p' "$work/desktop.log")
after_save dbus-send --session --type=signal /org/freedesktop/Notifications \
  org.freedesktop.Notifications.ActionInvoked "uint32:$id" string:corkwallery-action
[[ $(state) == "$before" && ! -e $trashed ]] || fail "the undo did not bring A back: $(state)"
poll grep -q "^close $id$" "$work/desktop.log" || fail "the removal's notification stayed"

[[ -v private_mounts ]] || { echo "PASS (a full data folder needs root)"; exit 0; }
head -c 8M /dev/zero >"$work/data/filler" 2>/dev/null
drag() { xdotool mousemove "$1" 450 mousedown 1 $(moves "$1" 450 "$2" 0 10) mouseup 1; }
drag 400 100 && poll grep -q "ERROR writing state" "$work/app.log" || fail "the save did not fail"
drag 500 100 && poll eval '(($(logged "ERROR writing state") == 2))' || fail "no second failure"
(($(grep -c "cannot save your photos" "$work/desktop.log") == 1)) || fail "not one notification for failing saves"
rm "$work/data/filler" && after_save drag 600 100
saved '"A.png","originalPath":"[^"]*","centerX":700' "the change made while full was lost"
poll grep -q "^close $(sed -n 's/^notify \([0-9]*\) 0 Corkwallery cannot.*/\1/p' "$work/desktop.log")$" \
  "$work/desktop.log" || fail "the failure's notification stayed"
echo "PASS"
