#!/usr/bin/env bash
# A user sets an alarm only through the window, registers it and hears it
# ring at its minute; the file holds it after closing.
source "$(dirname "$0")/lib.sh"

app="$WORK/app"
install_copy "$app"
rec_start
launched=$(rec_now)
start_vendrix "$app" "2027-03-01 06:59:35"
wait_for_window
click 412 39 # >> opens the editor
click 16 24  # ON
click 14 120 # オン: every day
type_into 180 121 "7"
type_into 210 121 "0"
click 360 252 # 登録
check "registering writes the slot" ini_has "$app/alerm.ini" "^Time=07:00"
sleep_until=$(plus "$launched" 29)
while awk -v now="$(rec_now)" -v until="$sleep_until" 'BEGIN { exit !(now < until) }'; do sleep 0.5; done
check "silent before the minute" silent "$(plus "$launched" 20)" 4
sleep 5
check "the alarm rings at its minute" loud "$(plus "$launched" 26)" 8
check "closing ends the program" close_window
check "the file holds the alarm and the switch" \
    bash -c "grep -A2 '^\[Alerm 1\]' '$app/alerm.ini' | grep -q 'State=1' && grep -q '^Switch=1' '$app/alerm.ini'"
finish
