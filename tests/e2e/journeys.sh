#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program as a user meets it, one journey a promise:
#   journeys.sh VENDRIX ALERM_WAV JOURNEY [ARGS]
source "$(dirname "$0")/lib.sh"

close_window() { wmctrl -i -c "$WID" && ended "$VPID"; }

journey_ring() { # An alarm set only through the window rings at its minute and on; Stop silences it.
    install_copy
    # The user's own alerm.wav, in a form the simplest readers reject: 24-bit, extensible.
    sox -n -r 48000 -c 2 -b 24 "$APP/alerm.wav" synth 0.8 sine 880 vol 0.5
    rec_start
    local t0 stop
    heard_from "2027-03-01 06:59:35"
    click 412 39 # >> opens the editor
    click 16 24  # ON
    click 14 120 # オン: every day
    type_into 180 121 "7"
    type_into 210 121 "0"
    click 360 252 # 登録
    check "silent before the minute" silent "$(plus "$t0" 20)" 4
    check "the alarm rings at its minute and goes on ringing" loud_throughout "$(plus "$t0" 26)" "$(plus "$t0" 36)"
    check "with the user's alerm.wav" pitched "$(plus "$t0" 30)" 2 880
    stop=$(rec_now)
    click 340 28 # Stop
    check "Stop silences it" silent "$(plus "$stop" 1.2)" 2
    click 16 8 # SNZ
    kill -TERM "$VPID"
    check "SIGTERM ends the program" ended "$VPID"
    check "and saves the switch" grep -q "^Switch=0" "$APP/alerm.ini"
}

journey_wav_and_launch() { # A looping WAV; spoilt, the full standard alarm in its place until Stop; a launch.
    install_copy
    rm "$APP/alerm.wav" # the tone built into the program takes its place
    make_tone "$WORK/beep.wav" 0.4
    make_witness "$WORK/witness" "$WORK/launched"
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\nCommand=1\nWAV=%s\nRepeat=1\n[Alerm 2]\nTime=07:00\nState=1\nCommand=2\nExec=%s?one "two three"\n' \
        "$WORK/beep.wav" "$WORK/witness" | write_ini
    rec_start
    local t0 spoilt stop
    heard_from "2027-03-01 06:59:57"
    check "the WAV loops" loud_throughout "$(plus "$t0" 3.5)" "$(plus "$t0" 6.5)"
    cp "$VENDRIX_BIN" "$WORK/beep.wav"
    spoilt=$(rec_now)
    check "a WAV that cannot play any more rings on as the standard alarm" \
        loud_throughout "$(plus "$spoilt" 0.5)" "$(plus "$spoilt" 2)"
    check "past the end of the WAV's ring" loud_throughout "$(plus "$t0" 14)" "$(plus "$t0" 17)"
    check "one line on standard error names the file" \
        test "$(grep -c "cannot play $WORK/beep.wav (.*); sounding the standard alarm instead" "$WORK/stderr")" = 1
    stop=$(rec_now)
    click 340 28 # Stop
    check "Stop silences it" silent "$(plus "$stop" 1.2)" 2
    check "the program got its parameters" test "$(cat "$WORK/launched")" = "$(printf 'one\ntwo three')"
}

journey_long_sounds() { # A long alerm.wav ends with its ring; a long WAV played once stops at Stop; a short one ends alone.
    install_copy
    sox -n -r 44100 -c 1 -b 16 "$APP/alerm.wav" synth 30 sine 880 vol 0.5
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    rec_start
    local t0 stop
    heard_from "2027-03-01 06:59:50" 10 # ten times faster: the minute's ring lasts six seconds
    check "the standard alarm rings with the long alerm.wav" pitched "$(plus "$t0" 3)" 2 880
    check "and its sound ends with the ring" silent "$(plus "$t0" 10)" 5
    kill -TERM "$VPID" && ended "$VPID"
    make_tone "$WORK/long.wav" 60
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\nCommand=1\nWAV=%s\nRepeat=0\n' \
        "$WORK/long.wav" | write_ini
    heard_from "2027-03-01 06:59:57"
    check "a long WAV played once sounds" pitched "$(plus "$t0" 5)" 2 660
    stop=$(rec_now)
    click 340 28 # Stop, offered while it sounds
    check "Stop cuts it" silent "$(plus "$stop" 1)" 2
    kill -TERM "$VPID" && ended "$VPID"
    make_tone "$WORK/short.wav" 1
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n[Alerm 2]\nTime=07:00\nState=1\nCommand=1\nWAV=%s\n' \
        "$WORK/short.wav" | write_ini
    heard_from "2027-03-01 06:59:57"
    check "a WAV played once ends alone: the standard alarm beside it rings on" \
        loud_throughout "$(plus "$t0" 6)" "$(plus "$t0" 9)"
}

# notified N PATTERN: N lines of the notification server match PATTERN.
notified() { await 20 bash -c "[ \$(grep -cE '$2' '$WORK/notes') -ge $1 ]"; }
# invoke ID KEY: the user chooses an action of notification ID.
invoke() {
    dbus-send --session --type=method_call --dest=org.freedesktop.Notifications \
        /org/freedesktop/Notifications org.freedesktop.Notifications.Invoke "uint32:$1" "string:$2"
}

journey_notify() { # Ringing out of view: a notification to stop it, to end its series, to bring the window back; --stop.
    local server=$1 stop
    install_copy
    printf '[Settings]\nSwitch=0\nSnoozeInt=2\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    rec_start
    heard_from "2027-03-01 06:59:30" 10 # ten times faster: a ring in 3 s, snoozes every 12 s
    xdotool windowminimize "$WID"
    check "a ring out of view is notified, with Stop, スヌーズを終了 and 復元" notified 1 \
        "^notify 1 replaces 0 urgency 2 timeout 0 \| アラーム 07:00 \| 標準のアラーム \| stop,Stop,end-snooze,スヌーズを終了,restore,復元$"
    stop=$(rec_now)
    invoke 1 stop
    check "its Stop silences the ring" silent "$(plus "$stop" 0.5)" 1.5
    check "and closes the notification" notified 1 "^close 1$"
    check "the next snooze replaces it" notified 1 "^notify 1 replaces 1 "
    stop=$(rec_now)
    check "vendrix --stop stops it, and exits 0" "$APP/vendrix" --stop
    check "silent after" silent "$(plus "$stop" 0.5)" 1.5
    check "the snooze after" notified 2 "^notify 1 replaces 1 "
    stop=$(rec_now)
    invoke 1 end-snooze
    check "its スヌーズを終了 stops the ring" silent "$(plus "$stop" 0.5)" 1.5
    check "and ends the series: no snooze rings after" silent "$(plus "$t0" 39)" 3
    check "the switch stays at SNZ" grep -q "^Switch=0" "$APP/alerm.ini"
    find_tray_icon && restore_from_tray
    check "復元 brings the window back" await 5 mapped "$WID"
    wmctrl -i -c "$WID"
    check "closed with an alarm armed, it says on its way out that nothing will ring" \
        notified 1 "Vendrix を終了しました \| もう一度起動するまで、アラームは鳴りません"
    check "and ends" ended "$VPID"
    check "with no Vendrix running, --stop says so and exits 1" \
        bash -c "[ \"\$('$APP/vendrix' --stop 2>&1; echo \$?)\" = \"\$(printf 'vendrix: no Vendrix runs on these settings; nothing to stop\n1')\" ]"
}

journey_notify_dunst() { # Ringing out of view with dunst: its Stop, スヌーズを終了 and 復元; a daemon that answers late shows no ring that is over.
    local stop
    install_copy
    make_tone "$WORK/short.wav" 1 # played once: its ring ends with it, no series
    printf '[Settings]\nSwitch=0\nSnoozeInt=2\n[Alerm 1]\nTime=07:00\nState=1\n[Alerm 2]\nTime=07:05\nState=1\nCommand=1\nWAV=%s\n[Alerm 3]\nTime=07:10\nState=1\n' \
        "$WORK/short.wav" | write_ini
    dunst_up
    rec_start
    heard_from "2027-03-01 06:59:30" 10 # ten times faster: rings at 3 s, 15 s, 33 s, 63 s
    xdotool windowminimize "$WID"
    check "a ring out of view is shown by dunst" await 10 shown +
    stop=$(rec_now)
    dunst_choose Stop
    check "its Stop silences the ring" silent "$(plus "$stop" 0.5)" 1.5
    check "and the notification goes" await 5 shown 0
    check "the snooze ring is shown" await 15 shown +
    stop=$(rec_now)
    dunst_choose スヌーズを終了
    check "its スヌーズを終了 stops the ring and the series" silent "$(plus "$stop" 0.5)" 12
    kill -STOP "$DUNST" # stuck, as a daemon can be
    sleep 30 # the 07:05 ring, its notification asked for, and over; longer than a call to the bus waits
    kill -CONT "$DUNST"
    sleep 3
    check "answering late, dunst shows no ring that is over" shown 0
    check "the next ring is shown" await 15 shown +
    dunst_choose 復元
    check "its 復元 brings the window back" await 5 mapped "$WID"
}

journey_late_tray() { # Started at login before an X notification area: the window moves in when one appears, and again after the panel restarts.
    local panel=$1
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    (cd "$APP" && exec ./vendrix --autostart 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
    the_window
    check "no notification area yet: minimised on the task bar" await 5 iconic
    x_area "$panel"
    local moved_in="$(declare -f find_tray_icon mapped unmapped); find_tray_icon && unmapped $WID"
    check "$panel appears: the window moves in" await 10 bash -c "$moved_in"
    kill "$X_AREA"
    check "the panel goes: back on the task bar" await 10 iconic
    x_area "$panel"
    check "and comes back: in again" await 10 bash -c "$moved_in"
}

journey_status_notifier() { # A notification area that speaks only StatusNotifierItem: in when it comes late and after its restart; its menu stops a ring, a click brings the window back.
    local stop
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    rec_start
    t0=$(rec_now)
    (cd "$APP" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@2027-03-01 06:59:40" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        exec ./vendrix --autostart 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
    [[ -n ${WAYLAND_DISPLAY:-} ]] || the_window
    local moved_in="$(declare -f sni_items in_sni); VPID=$VPID in_sni"
    [[ -n ${WAYLAND_DISPLAY:-} ]] || check "no area yet: minimised on the task bar" await 5 iconic
    sni_host
    check "a host comes after the start: the item goes in" await 10 bash -c "$moved_in"
    [[ -n ${WAYLAND_DISPLAY:-} ]] || check "and the window with it" unmapped "$WID"
    kill "$SNI_HOST" && ended "$SNI_HOST"
    [[ -n ${WAYLAND_DISPLAY:-} ]] || check "the host goes: back on the task bar" await 10 iconic
    sni_host
    check "it comes back: in again" await 10 bash -c "$moved_in"
    check "at the ring, the item needs attention" await 30 sni_status NeedsAttention
    check "and its menu offers Stop" bash -c "$(declare -f sni_call); VPID=$VPID sni_call /MenuBar com.canonical.dbusmenu.GetProperty int32:1 string:visible | grep -q 'boolean true'"
    stop=$(rec_now)
    sni_choose 1
    check "its Stop silences the ring" silent "$(plus "$stop" 0.5)" 1.5
    check "and the item is calm again" await 5 sni_status Active
    sni_call /StatusNotifierItem org.kde.StatusNotifierItem.Activate int32:0 int32:0 >/dev/null
    check "a click on it brings the window back, out of the area" await 5 bash -c "! ($moved_in)"
}

journey_wayland() { # On a Wayland compositor: the window shows, a ring's notification stops it and brings the window back, --stop stops it.
    local server=$1 stop
    install_copy
    printf '[Settings]\nSwitch=0\nSnoozeInt=2\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$WORK/a11y.log" 2>&1 &
    pids+=($!)
    await 5 a11y_bus_up
    rec_start
    t0=$(rec_now)
    (cd "$APP" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LD_PRELOAD="$FAKETIME_LIB" \
        FAKETIME="@2027-03-01 06:59:40 x10" exec ./vendrix --autostart 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
    check "the window shows, natively on Wayland" await 10 bash -c \
        "/usr/bin/python3 '$(dirname "$0")/a11y_tree.py' 2>/dev/null | grep -qE '^(frame|filler)\|Vendrix v0\.3\|$'"
    check "with no notification area, a ring is notified, with Stop" \
        notified 1 "^notify [0-9]+ replaces 0 .* \| アラーム 07:00 \| 標準のアラーム \| stop,Stop"
    stop=$(rec_now)
    invoke "$(grep -m1 '^notify' "$WORK/notes" | cut -d' ' -f2)" stop
    check "its Stop silences the ring" silent "$(plus "$stop" 0.5)" 1
    check "the snooze ring is notified too" notified 2 "^notify .*アラーム 07:00"
    invoke "$(grep '^notify' "$WORK/notes" | tail -n1 | cut -d' ' -f2)" restore
    check "its 復元 brings the window back and closes it" notified 2 "^close [0-9]+$"
    check "the ring goes on" loud "$(rec_now)" 0.5
    stop=$(rec_now)
    check "vendrix --stop stops it" "$APP/vendrix" --stop
    check "silent after" silent "$(plus "$stop" 0.5)" 1
}

journey_volume() { # A muted or turned-down output: told ahead, brought up for the ring, put back.
    local server=$1 t0
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    pactl set-sink-mute vendrix 1
    rec_start
    heard_from "2027-03-01 06:59:50"
    check "a muted output with an alarm near is told ahead" \
        notified 1 "アラーム 07:00 が鳴るとき、音量を 50% に上げます（いまはミュート）"
    check "the ring is heard through the muted output" loud_throughout "$(plus "$t0" 12)" "$(plus "$t0" 14)"
    click 340 28 # Stop
    check "and the output is muted again after Stop" await 5 bash -c "pactl get-sink-mute vendrix | grep -q yes"
    kill -TERM "$VPID" && ended "$VPID"
    pactl set-sink-mute vendrix 0
    pactl set-sink-volume vendrix 2%
    heard_from "2027-03-01 06:59:55"
    check "at 2 % the ring is heard, at half volume" audible "$(plus "$t0" 7)" 2
    kill -TERM "$VPID" && ended "$VPID"
    check "and 2 % is back when Vendrix ends" bash -c "pactl get-sink-volume vendrix | grep -q ' 2% '"
    heard_from "2027-03-01 06:59:57"
    await 8 bash -c "pactl get-sink-volume vendrix | grep -q ' 50% '"
    kill -KILL "$VPID" && ended "$VPID"
    check "killed during the ring, it left the output raised" bash -c "pactl get-sink-volume vendrix | grep -q ' 50% '"
    start_vendrix "2027-03-01 08:00:00"
    check "and the next start puts it back" await 5 bash -c "pactl get-sink-volume vendrix | grep -q ' 2% '"
}

journey_no_sound() { # Without a sound server the alarm is not unnoticed.
    local server=$1
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    start_vendrix "2027-03-01 06:59:57"
    wait_for_window
    xdotool windowminimize "$WID"
    check "the window comes forward" await 8 mapped "$WID"
    check "the notification says the sound cannot be made" notified 1 "アラームの音を鳴らせません"
    sleep 5
    check "one line on standard error" test "$(grep -c "cannot play the alarm sound" "$WORK/stderr")" = 1
}

journey_sound_server() { # The sound server killed during a ring and before one: the ring goes on once it is back, and so do later alarms.
    local server=$1
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n[Alerm 2]\nTime=07:01\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    rec_start
    heard_from "2027-03-01 06:59:57"
    check "the alarm rings" loud "$(plus "$t0" 4)" 1
    sound_server_gone
    check "without a server, the window comes forward and one notification says so" \
        notified 1 "アラーム 07:00 \| アラームの音を鳴らせません（.*）。鳴らせるようになりしだい鳴ります。"
    sleep 6
    sound_server_back
    check "within two seconds of the server's return the ring goes on" loud_throughout 2 4
    click 340 28 # Stop
    sound_server_gone
    check "an alarm that begins with no server is told" \
        await 60 grep -q "アラーム 07:01 | アラームの音を鳴らせません" "$WORK/notes"
    sleep 3
    sound_server_back
    check "and rings once the server is back" loud_throughout 2 4
    check "each stretch told once on standard error" \
        test "$(grep -c "cannot play the alarm sound" "$WORK/stderr")" = 2
}

# output_is MUTE PERCENT: the session's output stands so ("yes 20": muted at 20 %).
output_is() { pactl get-sink-mute vendrix | grep -q ": $1" && pactl get-sink-volume vendrix | grep -q " $2% "; }
# stream_set LEVEL: the user sets Vendrix's stream in a mixer: "mute", or a volume.
stream_set() {
    await 5 bash -c "$(declare -f vendrix_stream); [ -n \"\$(vendrix_stream)\" ]"
    if [[ $1 == mute ]]; then pactl set-sink-input-mute "$(vendrix_stream)" 1; else pactl set-sink-input-volume "$(vendrix_stream)" "$1"; fi
}

journey_stream_level() { # What the server remembers for alarms never silences a later ring; the user's own change holds for its ring.
    local level=$1 set
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n[Alerm 2]\nTime=07:01\nState=1\n' | write_ini
    rec_start
    heard_from "2027-03-01 06:59:57"
    check "the alarm rings" loud "$(plus "$t0" 4)" 1
    stream_set "$level"
    set=$(rec_now)
    check "the user's $level on its stream holds for the rest of the ring" silent "$(plus "$set" 1.5)" 3
    click 340 28 # Stop
    check "the next ring is heard in full, whatever the server remembers" loud_throughout "$(plus "$t0" 64)" "$(plus "$t0" 67)"
    kill -TERM "$VPID" && ended "$VPID"
    heard_from "2027-03-02 06:59:57"
    check "and so is every ring of a new start" loud_throughout "$(plus "$t0" 4)" "$(plus "$t0" 6)"
}

journey_restart() { # The sound server restarted during a ring: heard again at once, the output it raised put back after.
    local server=$1 part=${2:-}
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    pactl set-sink-volume vendrix 20% && pactl set-sink-mute vendrix 1
    sleep 2 # what the server keeps of it, it has kept
    rec_start
    heard_from "2027-03-01 06:59:57"
    check "the ring raises the muted output" await 8 output_is no 50
    sound_server_gone $part
    sleep 2
    sound_server_back $part
    check "heard again within two seconds of the server's return${part:+ ($part alone)}" audible 2 2
    check "on the output raised again" output_is no 50
    click 340 28 # Stop
    check "Stop puts it back as the user had it" await 5 output_is yes 20
    check "the ring was told heard again once" said_once "the alarm sound is heard again"
    [[ $VENDRIX_SOUND == pulseaudio ]] || return 0
    heard_from "2027-03-02 06:59:57"
    await 8 output_is no 50
    kill -KILL "$VPID" && ended "$VPID"
    sound_server_gone
    start_vendrix "2027-03-02 08:00:00"
    sleep 2
    sound_server_back
    check "killed mid-ring and started before the server, it puts the output back once the server is there" \
        await 8 output_is yes 20
}

journey_stuck() { # A sound server that hangs, then one with no output left: the ring is not unnoticed.
    local server=$1 null
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n[Alerm 2]\nTime=07:05\nState=1\n' | write_ini
    standin "$server" notifications "$WORK/notes"
    heard_from "2027-03-01 06:59:56"
    xdotool windowminimize "$WID"
    sound_server_stopped 12 # from a second or two before the ring
    check "a server that does not answer: the window comes forward" await 10 mapped "$WID"
    check "and one notification says so" notified 1 "アラーム 07:00 \| アラームの音を鳴らせません（サウンドサーバーが応答しません）"
    await 15 bash -c "pactl info >/dev/null 2>&1"
    rec_start
    check "once it answers, the ring is heard" loud_throughout 1 3
    check "and said heard again" await 5 said_once "the alarm sound is heard again"
    click 340 28 # Stop
    if [[ $VENDRIX_SOUND == pipewire ]]; then
        pw-cli destroy "$(pw-cli ls Node | awk '/^\tid / { id = $2 } /node.name = "vendrix"/ { sub(",", "", id); print id }')" >/dev/null
    else
        pactl unload-module "$(pactl list short modules | awk '/module-null-sink/ { print $1 }')"
    fi
    check "no output left but the server's stand-in: the alarm ahead is told it cannot sound" \
        notified 1 "音の出力装置がないため、アラーム 07:05 は鳴らせません"
    kill -TERM "$VPID" && ended "$VPID"
    start_vendrix "2027-03-01 07:04:57"
    check "its ring says so" notified 1 "アラーム 07:05 \| アラームの音を鳴らせません（音の出力装置がありません）"
}

journey_silent_files() { # Sound files that open and give nothing: what stands in for each is heard, and each is named once.
    install_copy
    sox -n -r 44100 -c 1 "$WORK/cut.flac" synth 1 sine 660 && head -c 200 "$WORK/cut.flac" >"$APP/alerm.wav"
    sox -n -r 44100 -c 1 "$WORK/zeroed.flac" synth 1 sine 660
    { head -c 120 "$WORK/zeroed.flac"; head -c 40000 /dev/zero; } >"$WORK/zeroed.wav"
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\nCommand=1\nWAV=%s\nRepeat=1\n' "$WORK/zeroed.wav" | write_ini
    rec_start
    heard_from "2027-03-01 06:59:57"
    check "a slot's WAV and alerm.wav that give nothing: the built-in tone rings" loud_throughout "$(plus "$t0" 4)" "$(plus "$t0" 8)"
    check "the slot's file named once" said_once "cannot play $WORK/zeroed.wav (it gives no sound)"
    check "and alerm.wav once" said_once "cannot use $APP/alerm.wav as the alarm sound (it gives no sound)"
}

journey_hand_edits() { # What the user sets is kept: the switch at once, an edit written in place, something else at the file's path.
    install_copy
    printf '[Settings]\nSwitch=2\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    rec_start
    heard_from "2027-03-01 06:59:45"
    click 16 24 # ON, without 登録
    check "the switch is saved as it moves" await 3 grep -q "^Switch=1" "$APP/alerm.ini"
    sed -i '/^\[Alerm 2\]/,/^\[/s/^State=0/State=1/' "$APP/alerm.ini"
    check "an edit of another slot leaves it ON: the alarm rings" loud_throughout "$(plus "$t0" 17)" "$(plus "$t0" 19)"
    click 340 28 # Stop
    local edited="$WORK/edited.ini"
    sed 's/^Time=00:00$/Time=09:45/' "$APP/alerm.ini" >"$edited"
    { head -c 200 "$edited"; sleep 0.2; tail -c +201 "$edited"; } >"$APP/alerm.ini"
    kill -TERM "$VPID" && ended "$VPID"
    check "an edit written in place with a pause is taken in whole, nothing kept aside" \
        bash -c "grep -q '^Time=09:45' '$APP/alerm.ini' && ! ls '$APP'/alerm.ini.unrecognised* 2>/dev/null"
    start_vendrix
    wait_for_window
    rm "$APP/alerm.ini" && mkfifo "$APP/alerm.ini"
    click 16 8 # SNZ: cannot be saved there
    check "a FIFO in its place holds nothing up: the window says it cannot save there" \
        await 5 bash -c "[ \$(xdotool search --onlyvisible --name '^Vendrix v0\\.3\$' | wc -l) -ge 2 ]"
    kill -TERM "$VPID"
    check "SIGTERM ends it" ended "$VPID"
    check "and the settings are saved beside it" grep -q "^Switch=0" "$APP/alerm.ini.saved"
}

# wake_left PID: the seconds left on the first alarm timer (clockid 8, the
# kernel's CLOCK_REALTIME_ALARM) that PID holds armed; nothing when none is.
wake_left() {
    local f
    for f in /proc/"$1"/fdinfo/*; do
        grep -qx 'clockid: 8' "$f" 2>/dev/null || continue
        awk -F'[(,]' '/^it_value:/ && ($2 > 0 || $3 > 0) { print $2 }' "$f"
    done | head -n1
}
# wakes_at PID EPOCH [OFFSET]: PID holds an alarm timer armed for EPOCH, give
# or take 3 s, on a clock OFFSET seconds ahead (libfaketime moves the timer too).
wakes_at() {
    local left expected
    left=$(wake_left "$1")
    expected=$(($2 - $(date +%s) - ${3:-0}))
    [[ -n $left ]] && ((left - expected <= 3 && expected - left <= 3))
}
unarmed() { [[ -z $(wake_left "$1") ]]; }
epoch() { date -d "$1" +%s; }
# said_once PATTERN: exactly one line of the program's standard error matches.
said_once() { [[ $(grep -c "$1" "$WORK/stderr") == 1 ]]; }

journey_sleep() { # The wake timer a minute ahead, in the program or its helper; no sleep while it rings.
    local logind=$1 at
    install_copy
    printf '[Settings]\nSwitch=0\nSnoozeInt=2\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    standin "$logind" logind "$WORK/logind"
    start_vendrix "2027-03-01 06:59:45"
    wait_for_window
    check "as root the program holds the wake timer: within the last minute, at the ring" \
        await 5 wakes_at "$VPID" "$(epoch '2027-03-01 07:00:00')" "$FAKE_OFFSET"
    check "while it rings, sleep and the lid switch are blocked" \
        await 30 grep -qx 'inhibit sleep:handle-lid-switch Vendrix block' "$WORK/logind"
    check "a minute before the snooze ring" await 5 wakes_at "$VPID" "$(epoch '2027-03-01 07:01:00')" "$FAKE_OFFSET"
    click 340 28 # Stop
    check "Stop releases the block" await 5 grep -qx released "$WORK/logind"
    click 16 40 # OFF
    check "at OFF no wake is set" await 5 unarmed "$VPID"
    kill -TERM "$VPID" && ended "$VPID"

    # An ordinary user: the helper, granted the one capability, holds the timer.
    cp "$(dirname "$VENDRIX_BIN")/vendrix-wake" "$APP/"
    setcap cap_wake_alarm=ep "$APP/vendrix-wake"
    at=$(date -d '+3 min' '+%F %H:%M')
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=%s\nState=1\n' "${at#* }" | write_ini
    # The users' settings in their own folder: the program's, open to all, is no place for them.
    mkdir -p -m 777 "$WORK/home/.config/vendrix"
    mv "$APP/alerm.ini" "$WORK/home/.config/vendrix/" && rm "$APP/alerm.wav"
    chmod 755 "$WORK" && chmod 777 "$APP" "$WORK/home/.config" && chmod 666 "$WORK/home/.config/vendrix/alerm.ini"
    run_as() { (cd "$APP" && HOME="$WORK/home" exec setpriv --reuid="$1" --regid="$1" --clear-groups ./vendrix 2>>"$WORK/stderr") & VPID=$!; pids+=("$VPID"); }
    local helper_holds="$(declare -f wake_left wakes_at); wakes_at \$(pgrep -P \$0 -x vendrix-wake) $(($(epoch "$at") - 60))"
    run_as 1500
    wait_for_window
    check "as a user, vendrix-wake holds it, a minute before the alarm" await 5 bash -c "$helper_holds" "$VPID"
    kill -KILL "$(pgrep -P "$VPID" -x vendrix-wake)"
    check "a helper that was killed is started again, and holds it again" await 8 bash -c "$helper_holds" "$VPID"
    local helper
    helper=$(pgrep -P "$VPID" -x vendrix-wake)
    kill -TERM "$VPID" && ended "$VPID"
    check "and ends with the program" ended "$helper"
    run_as 65534
    wait_for_window
    check "for nobody the helper refuses, and the program says so" \
        await 5 said_once 'cannot wake the computer for alarms: this account may not wake the computer'
    kill -TERM "$VPID" && ended "$VPID"
    : >"$WORK/stderr"
    setcap -r "$APP/vendrix-wake"
    run_as 1500
    wait_for_window
    check "without the capability it runs, and one line says what would enable the wake" \
        await 5 said_once 'cannot wake the computer for alarms: .*setcap cap_wake_alarm=ep'
    sleep 2
    check "only one" said_once 'cannot wake the computer' 
}

journey_slept_through() { # A jump over an alarm: it does not ring; one notification and one line name it.
    local server=$1 at
    install_copy
    make_witness "$WORK/witness" "$WORK/fired"
    at=$(date -d '+2 min' +%H:%M)
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=%s\nState=1\nCommand=2\nExec=%s\n' "$at" "$WORK/witness" | write_ini
    standin "$server" notifications "$WORK/notes"
    # libfaketime reads its offset afresh from the file: the clock jumps as after
    # a suspend, but the boot clock stays, so the program sees a clock set forward.
    echo "+0" >"$WORK/faketime"
    (cd "$APP" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME_TIMESTAMP_FILE="$WORK/faketime" \
        FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1 exec ./vendrix 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
    wait_for_window
    echo "+2400" >"$WORK/faketime" # forty minutes asleep
    check "one notification names the alarm" notified 1 "鳴らなかったアラーム.*$at"
    sleep 3
    check "only one" test "$(grep -c 鳴らなかったアラーム "$WORK/notes")" = 1
    check "it did not ring" test ! -e "$WORK/fired"
    check "one line on standard error" test "$(grep -c "missed, as the clock was set forward past $at" "$WORK/stderr")" = 1
}

# zone ZONE: the system's local time replaced, as a laptop's is when it
# lands: the zone file bound over /etc/localtime, in this journey's own mount
# namespace.
zone() { mount --bind "/usr/share/zoneinfo/$1" /etc/localtime; }
# wall ZONE TIME: the epoch seconds of TIME (as date -d reads it) in ZONE.
wall() { TZ=$1 date -d "$2" +%s; }

journey_zone_change() { # The zone changed under the running program, as on landing: east rings what is minutes late and tells what is hours late; west does not ring again.
    local server=$1 late missed ring next
    if [[ -z ${VENDRIX_OWN_MOUNTS:-} ]]; then # the journey again, in a mount namespace of its own
        unshare --mount true 2>/dev/null || { echo "# skipped: no mount namespace can be made here"; return; }
        rm -rf "$WORK"
        VENDRIX_OWN_MOUNTS=1 exec unshare --mount --propagation private bash "$0" "$VENDRIX_BIN" "$ALARM_WAV" zone_change "$@"
    fi
    unset TZ
    install_copy
    make_witness "$WORK/witness" "$WORK/fired"
    standin "$server" notifications "$WORK/notes"
    # In Tokyo's time: one alarm five minutes ago, one two hours ago, once Berlin becomes Tokyo.
    late=$(TZ=Asia/Tokyo date -d '-5 min' +%H:%M) missed=$(TZ=Asia/Tokyo date -d '-2 hour' +%H:%M)
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=%s\nState=1\nCommand=2\nExec=%s?late\n[Alerm 2]\nTime=%s\nState=1\nCommand=2\nExec=%s?missed\n' \
        "$late" "$WORK/witness" "$missed" "$WORK/witness" | write_ini
    zone Europe/Berlin
    start_vendrix
    wait_for_window
    sleep 2
    zone Asia/Tokyo
    check "east: an alarm five minutes past in the new zone rings" await 10 grep -qx late "$WORK/fired"
    check "one two hours past is told, not rung" notified 1 "鳴らなかったアラーム \| タイムゾーンが変わり、時刻が過ぎました：$missed"
    check "and only that" bash -c "! grep -qx missed '$WORK/fired'"
    kill -TERM "$VPID" && ended "$VPID"
    # West after the ring: in a minute in Tokyo's time it rings; Berlin then, it does not ring again today.
    ring=$(TZ=Asia/Tokyo date -d '+1 min' +%H:%M)
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=%s\nState=1\nCommand=2\nExec=%s?west\n' "$ring" "$WORK/witness" | write_ini
    start_vendrix
    wait_for_window
    check "the alarm rings at its minute in Tokyo" await 75 grep -qx west "$WORK/fired"
    zone Europe/Berlin
    next=$(wall Europe/Berlin "$(TZ=Asia/Tokyo date +%F) $ring tomorrow")
    check "west: the wake is for its time tomorrow in Berlin, not again today" await 5 wakes_at "$VPID" "$((next - 60))"
}

journey_set_back() { # The clock set back over an alarm whose series was ended: it does not ring again.
    local at fires="slot 1 fires"
    install_copy
    at=$(date -d '+1 min' +%H:%M)
    printf '[Settings]\nSwitch=0\nSnoozeInt=2\n[Alerm 1]\nTime=%s\nState=1\n' "$at" | write_ini
    echo "+0 x10" >"$WORK/faketime" # ten times faster: a minute in six seconds
    (cd "$APP" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME_TIMESTAMP_FILE="$WORK/faketime" \
        FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1 QT_LOGGING_RULES="vendrix.scheduler.debug=true" \
        exec ./vendrix 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
    wait_for_window
    check "the alarm rings, and its snooze" await 40 bash -c "[ \$(grep -c '$fires' '$WORK/stderr') = 2 ]"
    click 16 24 # ON: the series ends
    echo "-300 x10" >"$WORK/faketime" # the clock set back five minutes, over the alarm and its snooze
    sleep 40
    check "set back over them, neither rings again" test "$(grep -c "$fires" "$WORK/stderr")" = 2
}

a11y_bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; }

journey_screen_reader() { # What a screen reader reads of the running program over the accessibility bus.
    install_copy
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$WORK/a11y.log" 2>&1 &
    pids+=($!)
    await 5 a11y_bus_up
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    start_vendrix
    wait_for_window
    click 412 39 # >> opens the editor
    local read_tree="/usr/bin/python3 '$(dirname "$0")/a11y_tree.py' >'$WORK/tree' 2>&1 && grep -q '^push button|登録|' '$WORK/tree'"
    await 5 bash -c "$read_tree"
    local line
    for line in "radio button|OFF|checked" "radio button|SNZ|" "radio button|スロット 1|checked" \
        "spin button|スロット|" "text|時|" "text|分|" "text|WAV ファイル|" \
        "radio button|オフ|checked" "scroll bar|スヌーズ間隔|" "push button|登録|" \
        "push button|時を増やす|" "spin button|時の矢印|"; do
        check "reads $line" grep -qxF "$line" "$WORK/tree"
    done
    check "reads the time as one label" grep -qE '^label\|現在時刻 [0-9]{2}:[0-9]{2}\|$' "$WORK/tree"
    check "no control without a name, no stray number" bash -c "! grep -E '^(label|spin button|push button|text)\|[0-9 ]*\|' '$WORK/tree'"
}

journey_tray() { # The tray: a left click does nothing, 復元 restores; a second start comes forward.
    install_copy
    start_vendrix
    wait_for_window
    click 412 39 # >> expanded
    local height second
    height=$(window_height)
    xdotool windowminimize "$WID"
    check "the minimised window is hidden" await 3 unmapped "$WID"
    check "an icon is in the notification area" await 3 find_tray_icon
    xdotool mousemove "$IX" "$IY" click 1
    sleep 0.5
    check "a left click on the icon does not restore" unmapped "$WID"
    restore_from_tray
    check "復元 brings the window back" mapped "$WID"
    check "at the same size" test "$(window_height)" = "$height"
    check "the icon is gone" unmapped "$ICON"
    xdotool windowminimize "$WID"
    await 3 unmapped "$WID"
    (cd "$APP" && exec ./vendrix) &
    second=$!
    check "a second start exits" ended "$second"
    check "the running window comes forward" await 3 mapped "$WID"
}

journey_damaged_lock() { # Whatever a power cut or a mistake leaves where the lock goes, Vendrix starts at login.
    local server=$1 what lock
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    lock="$APP/.alerm.ini.lock"
    for what in empty folder link fifo foreign held; do
        rm -rf "$lock"*
        case $what in
        empty) : >"$lock" ;;
        folder) mkdir "$lock" ;;
        link) ln -s "$WORK/nowhere/lock" "$lock" ;;
        fifo) mkfifo "$lock" ;;
        foreign) : >"$lock"; chown 65534:65534 "$lock" 2>/dev/null || continue ;;
        held) (exec 9>>"$lock"; flock 9; exec sleep 600) & pids+=($!); sleep 0.5 ;;
        esac
        (cd "$APP" && exec ./vendrix --autostart 2>>"$WORK/stderr") &
        VPID=$!
        pids+=("$VPID")
        if [[ $what == held ]]; then
            standin "$server" notifications "$WORK/notes"
            check "held by a copy that cannot answer: the start gives way and a notification says so" \
                notified 1 "Vendrix \| Vendrix は同じ設定ですでに動いています"
            continue
        fi
        check "a lock that is $what: it starts all the same" await 10 bash -c "xdotool search --name '^Vendrix v0\.3\$' >/dev/null"
        check "and nothing is followed" test ! -e "$WORK/nowhere"
        kill -TERM "$VPID" && ended "$VPID"
    done
}

journey_slow_writer() { # An edit written in place with a long pause is judged once whole; a click meanwhile loses nothing.
    install_copy
    make_witness "$WORK/witness" "$WORK/fired"
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=09:00\nState=1\n[Alerm 20]\nTime=07:00\nState=1\nCommand=2\nExec=%s?20\n' "$WORK/witness" | write_ini
    start_vendrix "2027-03-01 06:59:55"
    wait_for_window
    local edited="$WORK/edited.ini" half
    sed 's/^Time=09:00$/Time=09:45/' "$APP/alerm.ini" >"$edited"
    half=$(($(stat -c %s "$edited") / 2))
    { head -c "$half" "$edited"; sleep 7; tail -c +"$((half + 1))" "$edited"; } >"$APP/alerm.ini" &
    pids+=($!)
    sleep 2
    click 16 8 # SNZ, in the middle of the pause
    check "a slot in the half still to come rings at its minute, in the pause" await 10 grep -qx 20 "$WORK/fired"
    check "once the writer is done, its whole edit and the click are in the file" \
        await 10 bash -c "grep -q '^Time=09:45' '$APP/alerm.ini' && grep -q '^Switch=0' '$APP/alerm.ini' && grep -q '^Exec=.*?20' '$APP/alerm.ini'"
    check "nothing kept aside, nothing told" bash -c "! ls '$APP'/alerm.ini.unrecognised* 2>/dev/null"
}

journey_edits_during_saves() { # Edits by rename landing while Vendrix saves, on a slow disk: none is lost.
    local slow=$1 n edits=()
    install_copy
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    (cd "$APP" && LD_PRELOAD="$slow" exec ./vendrix 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
    wait_for_window
    for n in $(seq 1 30); do
        click 16 $((8 + 16 * (n % 3))) # the switch, saved each time
        sed -i "1i ; edit $n" "$APP/alerm.ini" &
        edits+=($!)
        sleep 0.$((RANDOM % 3 + 1))
    done
    wait "${edits[@]}"
    kill -TERM "$VPID" && ended "$VPID"
    local lost=0
    for n in $(seq 1 30); do grep -qx "; edit $n" "$APP"/alerm.ini* || lost=$((lost + 1)); done
    check "every edit is in alerm.ini or kept beside it ($lost of 30 lost)" test "$lost" = 0
}

journey_linked_folders() { # Two program folders whose alerm.ini are links to one file: one copy, reached from either.
    local real="$WORK/real.ini" a b
    install_copy app1
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' | write_ini
    mv "$APP/alerm.ini" "$real" && ln -s "$real" "$APP/alerm.ini"
    install_copy app2
    ln -s "$real" "$APP/alerm.ini"
    rec_start
    APP="$WORK/app1"
    heard_from "2027-03-01 06:59:57"
    a=$VPID
    mkdir -m 700 "$WORK/run2"
    (cd "$WORK/app2" && XDG_RUNTIME_DIR="$WORK/run2" exec ./vendrix 2>>"$WORK/stderr") &
    b=$!
    pids+=("$b")
    check "the second, from the other folder and another runtime folder, gives way" ended "$b"
    check "and the first rings on" loud "$(plus "$t0" 4)" 1
    local stop
    stop=$(rec_now)
    check "--stop from the other folder stops it" env XDG_RUNTIME_DIR="$WORK/run2" "$WORK/app2/vendrix" --stop
    check "silent after" silent "$(plus "$stop" 0.5)" 1.5
    check "the settings stay one file, reached by both links" bash -c "[ -L '$WORK/app1/alerm.ini' ] && [ -L '$WORK/app2/alerm.ini' ] && grep -q Validation '$real'"
}

journey_two_copies() { # Two copies started at the same instant: one runs on, every time.
    install_copy
    local doubles=0 a b
    for _ in $(seq 20); do
        (cd "$APP" && exec ./vendrix) &
        a=$!
        (cd "$APP" && exec ./vendrix) &
        b=$!
        pids+=("$a" "$b")
        for _ in $(seq 100); do kill -0 "$a" 2>/dev/null && kill -0 "$b" 2>/dev/null || break; sleep 0.05; done
        sleep 0.5
        kill -0 "$a" 2>/dev/null && kill -0 "$b" 2>/dev/null && doubles=$((doubles + 1))
        kill -TERM "$a" "$b" 2>/dev/null
        wait "$a" "$b" 2>/dev/null
    done
    check "one copy of each of 20 pairs runs on (both did in $doubles)" test "$doubles" = 0
    mkdir -m 700 "$WORK/run1" "$WORK/run2"
    (cd "$APP" && XDG_RUNTIME_DIR="$WORK/run1" exec ./vendrix 2>>"$WORK/stderr") &
    a=$!
    pids+=("$a")
    await 5 bash -c "ls '$WORK/run1'/vendrix-* >/dev/null 2>&1"
    (cd "$APP" && XDG_RUNTIME_DIR="$WORK/run2" exec ./vendrix 2>>"$WORK/stderr") &
    b=$!
    pids+=("$b")
    check "a copy started with another runtime folder reaches the first through the lock, and gives way" \
        bash -c "$(declare -f ended await); ended $b && grep -q 'already runs on these settings; it comes to the front' '$WORK/stderr'"
}

# as_user COMMAND...: runs COMMAND as an ordinary user (nobody, when the
# tests run as root) whose home is $WORK/home.
as_user() {
    mkdir -p -m 777 "$WORK/home"
    if [[ $(id -u) -eq 0 ]]; then
        env HOME="$WORK/home" setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
    else
        env HOME="$WORK/home" "$@"
    fi
}
installed() { pgrep -u "$( ((EUID)) && echo "$EUID" || echo 65534)" -x vendrix; }
replaced() { [[ "$(installed)" =~ ^[0-9]+$ && "$(installed)" != "$1" ]]; }
gone() { ! installed >/dev/null; }

journey_user_install() { # Installing for one user, upgrading while it runs, uninstalling; not as root.
    local build=$1 home="$WORK/home" first
    local install="$(dirname "$0")/../../scripts/user-install"
    chmod 755 "$WORK"
    as_user true
    # cmake --install writes its manifest into the build folder.
    [[ $(id -u) -eq 0 ]] && install -m 666 /dev/null "$build/install_manifest_Unspecified.txt"
    as_user "$install" "$build" >"$WORK/said"
    check "it says the one command that lets it wake the computer" \
        grep -qx "  sudo setcap cap_wake_alarm=ep $home/.local/libexec/vendrix/vendrix-wake" "$WORK/said"
    check "the menu entry names the program in full, its Stop action too" \
        bash -c "grep -qx 'Exec=$home/.local/bin/vendrix' '$home/.local/share/applications/vendrix.desktop' &&
            grep -qx 'Exec=$home/.local/bin/vendrix --stop' '$home/.local/share/applications/vendrix.desktop'"
    check "it starts at every login" cmp -s "$home/.local/share/applications/vendrix.desktop" "$home/.config/autostart/vendrix.desktop"
    check "and now" await 5 installed
    first=$(installed)
    wait_for_window
    click 16 8 # SNZ
    as_user "$install" "$build" >/dev/null
    check "an upgrade asks the running copy to quit, and it saves" grep -q "^Switch=0" "$home/.config/vendrix/alerm.ini"
    check "then starts the new one" await 5 replaced "$first"
    as_user "$install" --uninstall >"$WORK/said"
    check "uninstalling stops it" await 5 gone
    check "and removes every file it put in place" test -z "$(find "$home/.local" -type f ! -name mimeinfo.cache)"
    check "but the autostart entry" test ! -e "$home/.config/autostart/vendrix.desktop"
    check "and keeps the settings, saying where" grep -q "$home/.config/vendrix/alerm.ini" "$WORK/said"
}

# The .deb: installed and removed for real as root, unpacked otherwise.
journey_package() {
    local build=$1 deb root=/ home="$WORK/pkghome" f
    (cd "$WORK" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
    deb="$WORK/vendrix_0.3_amd64.deb"
    check "vendrix_<version>_amd64.deb is built" test -f "$deb"
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }' >"$WORK/files"
    for f in /usr/bin/vendrix /usr/libexec/vendrix/vendrix-wake /usr/share/vendrix/alerm.wav /usr/share/applications/vendrix.desktop /etc/xdg/autostart/vendrix.desktop \
        /usr/share/metainfo/vendrix.metainfo.xml /usr/share/icons/hicolor/48x48/apps/vendrix.png \
        /usr/share/man/man1/vendrix.1 /usr/share/doc/vendrix/copyright; do
        check "it carries $f" grep -qx "$f" "$WORK/files"
    done
    check "its library dependencies are computed" bash -c "dpkg-deb -f '$deb' Depends | grep -q 'libqt6widgets6 (>='"
    if [[ $(id -u) -eq 0 ]]; then
        dpkg -i "$deb" >/dev/null
        check "installed, vendrix-wake may wake the computer, and nothing more" \
            test "$(getcap /usr/libexec/vendrix/vendrix-wake)" = "/usr/libexec/vendrix/vendrix-wake cap_wake_alarm=ep"
    else
        root="$WORK/root"
        dpkg -x "$deb" "$root"
    fi
    check "its metadata validates" appstreamcli validate --no-net "$root/usr/share/metainfo/vendrix.metainfo.xml"
    check "its menu entry validates" desktop-file-validate "$root/usr/share/applications/vendrix.desktop"
    local vendrix="env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $root/usr/bin/vendrix"
    check "--help and --version answer without a display" bash -c "$vendrix --help | grep -q Usage && [ \"\$($vendrix --version)\" = 'vendrix 0.3' ]"
    check "a wrong option exits with 2; no display, with 1 and one line" \
        bash -c "$vendrix --bogus 2>/dev/null; [ \$? = 2 ] && [ \"\$($vendrix 2>&1; echo \$?)\" = \"\$(printf 'vendrix: cannot open a display to show the window on; start Vendrix in a desktop session\n1')\" ]"
    mkdir -p "$home"
    HOME="$home" PATH="$root/usr/bin:$PATH" timeout 3 $(sed -n 's/^Exec=//p' "$root/usr/share/applications/vendrix.desktop" | head -n1)
    check "started from its menu entry, it runs and keeps its settings in ~/.config" test -f "$home/.config/vendrix/alerm.ini"
    check "its login entry validates" desktop-file-validate "$root/etc/xdg/autostart/vendrix.desktop"
    local atlogin="env PATH=$root/usr/bin:$PATH timeout 3 $(sed -n 's/^Exec=//p' "$root/etc/xdg/autostart/vendrix.desktop")"
    check "at login, for a user who never used Vendrix, it ends at once, silently, leaving nothing" \
        bash -c "[ -z \"\$(HOME='$WORK/fresh' $atlogin 2>&1)\" ] && [ ! -e '$WORK/fresh/.config/vendrix' ]"
    check "for a user with no alarm armed too" bash -c "HOME='$home' $atlogin"
    printf '[Public]\nValidation=x\n[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' >"$home/.config/vendrix/alerm.ini"
    check "for a user with an alarm armed, it runs" bash -c "HOME='$home' $atlogin; [ \$? = 124 ]"
    if [[ $root == / ]]; then
        dpkg -r vendrix >/dev/null
        check "dpkg -r removes every file it installed" bash -c "! xargs -a '$WORK/files' ls -d 2>/dev/null"
    fi
}

journey_full_disk() { # A full disk destroys nothing: the file is the old one or a whole new one.
    mkdir "$WORK/full"
    if ! mount -t tmpfs -o size=64m,mode=700 tmpfs "$WORK/full" 2>/dev/null; then
        echo "# skipped: no tmpfs can be mounted here"
        return
    fi
    trap 'umount -l "$WORK/full"; cleanup' EXIT
    install_copy full
    make_witness "$WORK/witness" "$WORK/fired"
    printf '[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\nCommand=2\nExec=%s?full\n[Alerm 2]\nTime=07:00\nState=1\n' "$WORK/witness" | write_ini
    cp "$APP/alerm.ini" "$WORK/before.ini"
    head -c 64M /dev/zero >"$APP/filler" 2>/dev/null # the disk is now full
    start_vendrix "2027-03-01 06:59:57"
    wait_for_window
    xdotool windowminimize "$WID" # its ring is notified, with no notification service here
    check "the alarm rings from the file's values" await 8 grep -qx full "$WORK/fired"
    check "no notification service: one line says so" await 5 said_once "no desktop notifications"
    find_tray_icon && restore_from_tray
    check "closing ends the program" close_window
    check "the file is the old one, or a whole new one" bash -c "cmp -s '$APP/alerm.ini' '$WORK/before.ini' ||
        { grep -q '^Exec=$WORK/witness?full' '$APP/alerm.ini' && [ \"\$(tail -n1 '$APP/alerm.ini')\" = Exec= ]; }"
}

# Soak: HOURS simulated hours around midnight at 60x, twenty slots spread over
# them: every one fires exactly once, and memory does not grow.
journey_soak() {
    local hours=$1 speed=60 span=$(($1 * 60)) first offset rss_start rss_end
    first=$(((1440 - span / 2) % 1440)) # minute of the day the run starts at
    install_copy
    make_witness "$WORK/witness" "$WORK/fired"
    for n in $(seq 1 20); do
        offset=$((n * span / 21))
        [[ $n -eq 10 ]] && offset=$((span / 2)) # midnight
        printf '[Alerm %d]\nTime=%02d:%02d\nState=1\nCommand=2\nExec=%s?%d\n' "$n" \
            $(((first + offset) / 60 % 24)) $(((first + offset) % 60)) "$WORK/witness" "$n"
    done | { printf '[Settings]\nSwitch=1\n'; cat; } | write_ini
    start_vendrix "$(printf '2027-03-01 %02d:%02d:00' $((first / 60)) $((first % 60)))" "$speed"
    wait_for_window
    sleep 5
    rss_start=$(awk '/VmRSS/ { print $2 }' "/proc/$VPID/status")
    sleep $((hours * 3600 / speed - 5))
    rss_end=$(awk '/VmRSS/ { print $2 }' "/proc/$VPID/status")
    echo "# resident memory: $rss_start kB after start-up, $rss_end kB at the end"
    check "every slot fired exactly once" test "$(sort -n "$WORK/fired" | tr '\n' ' ')" = "$(seq 1 20 | tr '\n' ' ')"
    check "memory stayed within 5 %" awk -v a="$rss_start" -v b="$rss_end" 'BEGIN { exit !(b <= a * 1.05) }'
}

"journey_$3" "${@:4}"
finish
