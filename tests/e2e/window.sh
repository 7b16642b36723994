#!/usr/bin/env bash
# The real program as a user meets it: an alarm rings and Stop silences it,
# the window goes to the notification area and comes back, a second start
# brings the running window forward, and SIGTERM saves.
source "$(dirname "$0")/lib.sh"

app="$WORK/app"
install_copy "$app"
cat >"$app/alerm.ini" <<'INI'
[Public]
Validation=Vendrix v0.3
[Settings]
Switch=1
SnoozeInt=5
CurrentID=1
[Alerm 1]
Time=07:00
State=1
Command=0
INI

rec_start
launched=$(rec_now)
start_vendrix "$app" "2027-03-01 06:59:57"
wait_for_window
check "window shown" test -n "$WID"
sleep 12
check "silent before the alarm" silent "$launched" 2
check "the alarm rings at its minute" loud "$(plus "$launched" 3.5)" 2
check "and goes on ringing" loud "$(plus "$launched" 10)" 2
stop_at=$(rec_now)
click 340 28 # Stop
sleep 3
check "Stop silences the alarm" silent "$(plus "$stop_at" 1.2)" 1.5

xdotool windowminimize "$WID"
sleep 1
check "minimised window is hidden" unmapped "$WID"
check "an icon is in the notification area" find_tray_icon
eval "$(xdotool getwindowgeometry --shell "$ICON")"
xdotool mousemove $((X + 11)) $((Y + 11)) click 1 # a left click does nothing
sleep 0.5
check "a left click on the icon does not restore" unmapped "$WID"
xdotool mousemove $((X + 11)) $((Y + 11)) click 3
sleep 0.5
xdotool key Down Return # 復元
sleep 1
check "復元 brings the window back" mapped "$WID"
check "the icon is gone" bash -c "! xwininfo -id $ICON 2>/dev/null | grep -q IsViewable"

xdotool windowminimize "$WID"
sleep 1
(cd "$app" && exec ./vendrix) &
second=$!
check "a second start exits" ended "$second"
sleep 0.5
check "the running window comes forward" mapped "$WID"

click 16 8 # SNZ
stop_vendrix
check "SIGTERM ends the program and saves the switch" ini_has "$app/alerm.ini" "^Switch=0"
finish
