#!/usr/bin/env bash
# Whole user journeys on the installed program:
#   journeys.sh VENDRIX ALERM_WAV BUILD_DIR JOURNEY
# The program is installed with `cmake --install` into a temporary prefix and
# runs with a temporary HOME, so its settings land in ~/.config/vendrix.
source "$(dirname "$0")/lib.sh"
build=$3
journey=$4

export HOME="$WORK/home"
mkdir -p "$HOME"
cmake --install "$build" --prefix "$WORK/prefix" >/dev/null
bin="$WORK/prefix/bin"
ini="$HOME/.config/vendrix/alerm.ini"
green="128,255,128"

write_ini() { mkdir -p "$(dirname "$ini")" && cat >"$ini"; }
# Waits until the recording has reached SECONDS.
wait_until() { while awk -v now="$(rec_now)" -v t="$1" 'BEGIN { exit !(now < t) }'; do sleep 0.2; done; }

journey_1() { # First start: collapsed, OFF, defaults written.
    start_vendrix "$bin"
    wait_for_window
    check "the window starts collapsed" test "$(window_height)" = 49
    check "OFF is selected" has_colour 30 40 "$green"
    check "SNZ is not" has_colour 30 8 "255,255,255"
    check "the defaults are written" ini_has "$ini" "^Validation=Vendrix v0.3"
    check "with twenty slots" test "$(grep -c '^\[Alerm ' "$ini")" = 20
    check "and the switch at OFF" ini_has "$ini" "^Switch=2"
    check "nothing is written beside the installed program" test ! -e "$bin/alerm.ini"
}

journey_2() { # A weekday alarm set through the window rings and stops by itself.
    rec_start
    local t0
    t0=$(rec_now)
    start_vendrix "$bin" "2027-03-01 06:58:00" 10 # a Monday; ten times faster
    wait_for_window
    click 412 39  # >>
    click 16 24   # ON
    click 14 168  # 曜日: on chosen days
    click 118 169 # 月: Monday
    type_into 180 121 "7"
    type_into 210 121 "0"
    click 360 252 # 登録
    check "the slot is registered" ini_has "$ini" "^WeekSwitch=-\*-----"
    wait_until "$(plus "$t0" 22)"
    check "silent before seven" silent "$(plus "$t0" 8)" 3
    check "rings at seven" loud "$(plus "$t0" 12.5)" 2
    check "stops by itself after its minute" silent "$(plus "$t0" 20)" 1.5
}

journey_3() { # SNZ with interval 2: rings again two minutes later; ON ends the series.
    write_ini <<'INI'
[Public]
Validation=Vendrix v0.3
[Settings]
Switch=0
SnoozeInt=2
CurrentID=1
[Alerm 1]
Time=07:00
State=1
INI
    rec_start
    local t0
    t0=$(rec_now)
    start_vendrix "$bin" "2027-03-01 06:59:50" 10
    wait_for_window
    wait_until "$(plus "$t0" 15)"
    check "rings at seven" loud "$(plus "$t0" 1.5)" 1.5
    check "quiet between" silent "$(plus "$t0" 9)" 2
    check "rings again two minutes later" loud "$(plus "$t0" 13.3)" 1.5
    wait_until "$(plus "$t0" 20)"
    click 16 24 # ON
    wait_until "$(plus "$t0" 30)"
    check "ON ends the series" silent "$(plus "$t0" 22)" 7
}

journey_4() { # A looping WAV until Stop; a launch with its parameters.
    make_tone "$WORK/beep.wav" 0.4
    make_witness "$WORK/witness" "$WORK/launched"
    write_ini <<INI
[Public]
Validation=Vendrix v0.3
[Settings]
Switch=1
[Alerm 1]
Time=07:00
State=1
Command=1
WAV=$WORK/beep.wav
Repeat=1
[Alerm 2]
Time=07:00
State=1
Command=2
Exec=$WORK/witness?one "two three"
INI
    rec_start
    local t0
    t0=$(rec_now)
    start_vendrix "$bin" "2027-03-01 06:59:57"
    wait_for_window
    wait_until "$(plus "$t0" 6)"
    check "the WAV loops" loud "$(plus "$t0" 4)" 2
    local stop
    stop=$(rec_now)
    click 340 28 # Stop
    sleep 2
    check "Stop silences it" silent "$(plus "$stop" 0.8)" 1
    check "the program got its parameters" test "$(cat "$WORK/launched")" = "$(printf 'one\ntwo three')"
}

journey_5() { # Minimise while idle: tray icon; 復元 restores at the same size.
    start_vendrix "$bin"
    wait_for_window
    click 412 39 # >> expanded
    sleep 0.3
    local height
    height=$(window_height)
    xdotool windowminimize "$WID"
    sleep 1
    check "the window is hidden" unmapped "$WID"
    check "an icon is in the notification area" find_tray_icon
    eval "$(xdotool getwindowgeometry --shell "$ICON")"
    xdotool mousemove $((X + 11)) $((Y + 11)) click 3
    sleep 0.5
    xdotool key Down Return
    sleep 1
    check "復元 brings it back" mapped "$WID"
    check "expanded as it was" test "$(window_height)" = "$height"
}

journey_6() { # Close, start again: everything as it was.
    start_vendrix "$bin"
    wait_for_window
    click 412 39  # >>
    click 16 8    # SNZ
    click 104 62  # slot 5
    click 14 120  # オン
    type_into 180 121 "6"
    type_into 210 121 "45"
    click 14 248  # 実行
    type_into 168 249 "/usr/bin/true?x"
    click 396 120 # snooze interval 6
    click 360 252 # 登録
    click 136 62  # slot 7 is current at close
    check "closing saves" close_window
    cp "$ini" "$WORK/first.ini"
    start_vendrix "$bin"
    wait_for_window
    check "SNZ is still selected" has_colour 30 8 "$green"
    click 412 39
    check "slot 7 is still current" has_colour 129 57 "192,192,255"
    check "slot 5 is on" has_colour 97 57 "255,192,128"
    check "closing again" close_window
    check "the file is as it was" cmp -s "$ini" "$WORK/first.ini"
    check "with the slot" bash -c "grep -A8 '^\[Alerm 5\]' '$ini' | tr '\n' ' ' | grep -q 'Time=06:45 State=1 Command=2 .*Exec=/usr/bin/true?x'"
    check "the interval" ini_has "$ini" "^SnoozeInt=6"
    check "the switch and the current slot" ini_has "$ini" "^Switch=0"
    check "the current slot" ini_has "$ini" "^CurrentID=7"
}

journey_7() { # A hand-edited file with odd values and extra sections.
    make_witness "$WORK/witness" "$WORK/launched"
    write_ini <<INI
; my alarms, edited by hand
[public]
validation = mine
[Settings]
Switch = 1
SnoozeInt=0
CurrentID=99
[My Notes]
note=keep me
[Alerm 2]
Time=7:00
State=1.5
Command=9
Exec=$WORK/witness?rang
Date=03/01
[Alerm 3]
Time=25:00
State=1
Command=2
Exec=$WORK/witness?never
INI
    start_vendrix "$bin" "2027-03-01 06:59:57"
    wait_for_window
    sleep 5
    check "the odd slot rings (State 1.5 is a date, Command 9 a launch)" test "$(cat "$WORK/launched" 2>/dev/null)" = "rang"
    click 412 39
    check "the current slot 99 is shown as slot 20" has_colour 337 57 "192,192,255"
    check "closing saves" close_window
    check "the extra section is kept" ini_has "$ini" "^note=keep me"
    check "the comment is kept" ini_has "$ini" "^; my alarms, edited by hand"
    check "the odd values are mended" bash -c "grep -q '^SnoozeInt=5' '$ini' && grep -q '^CurrentID=20' '$ini'"
    check "the impossible time is kept" ini_has "$ini" "^Time=25:00"
}

"journey_$journey"
finish
