# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers of the end-to-end journeys: they get the built program and alerm.wav
# as $1 and $2, and work on copies in a temporary folder.
set -uo pipefail

VENDRIX_BIN=$(realpath "$1")
ALARM_WAV=$(realpath "$2")
FAKETIME_LIB=$(dpkg -L libfaketime | grep -m1 '/libfaketime\.so\.1$')
WORK=$(mktemp -d /tmp/vendrix-e2e.XXXXXX)
passed=0
failed=0
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT

check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok - $what"
    else
        failed=$((failed + 1))
        echo "not ok - $what"
    fi
}

finish() {
    [[ $failed -eq 0 || ! -s $WORK/stderr ]] || sed 's/^/# vendrix: /' "$WORK/stderr"
    echo "$passed passed, $failed failed"
    [[ $failed -eq 0 ]]
}

# A copy of the program in its own folder, as a user would unpack it: APP.
install_copy() {
    APP="$WORK/${1:-app}"
    mkdir -p "$APP"
    cp "$VENDRIX_BIN" "$ALARM_WAV" "$APP/"
}

# Writes standard input as the copy's alerm.ini, after the settings marker.
write_ini() { { echo "[Public]"; echo "Validation=Vendrix v0.3"; cat; } >"$APP/alerm.ini"; }

# start_vendrix [START [SPEED]]: runs the copy, its clock started at START
# ("2027-03-01 06:59:57", in the zone the tests run in), SPEED times faster; sets VPID, and FAKE_OFFSET to
# the seconds its clock is ahead. libfaketime is preloaded directly: the
# faketime wrapper leaves semaphores behind.
start_vendrix() {
    local start=${1:-} speed=${2:-} fake=()
    FAKE_OFFSET=0
    if [[ -n $start ]]; then
        FAKE_OFFSET=$(($(date -d "$start" +%s) - $(date +%s)))
        fake=(env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@$start${speed:+ x$speed}")
        [[ -z $speed ]] && fake+=(FAKETIME_DONT_FAKE_MONOTONIC=1)
    fi
    (cd "$APP" && exec "${fake[@]}" ./vendrix 2>>"$WORK/stderr") &
    VPID=$!
    pids+=("$VPID")
}

# standin PROGRAM KIND OUT: a stand-in for a desktop service, what it is asked written to OUT.
standin() {
    "$1" "$2" >"$3" &
    pids+=($!)
}

# await SECONDS COMMAND...: retries COMMAND until it succeeds; false if it
# did not within SECONDS.
await() {
    local until=$((SECONDS + $1))
    shift
    until "$@"; do [[ $SECONDS -lt $until ]] || return 1; sleep 0.1; done
}

# ended PID: waits up to 5 s for the process to end; false if it did not.
ended() { await 5 bash -c "! kill -0 $1 2>/dev/null"; }

# heard_from START [SPEED]: start_vendrix and wait_for_window, with t0 the
# moment in the recording it was started at.
heard_from() {
    t0=$(rec_now)
    start_vendrix "$@"
    wait_for_window
}

# Waits for the window and sets WID. A window that the window manager left
# unmapped while it was still starting up is mapped once.
wait_for_window() {
    WID=""
    for i in $(seq 300); do
        WID=$(xdotool search --onlyvisible --name '^Vendrix v0\.3$' 2>/dev/null | head -n1)
        [[ -n $WID ]] && break
        [[ $i -eq 100 ]] && xdotool search --name '^Vendrix v0\.3$' windowmap %@ 2>/dev/null
        sleep 0.1
    done
    [[ -n $WID ]] || { echo "# the window did not appear" >&2; exit 1; }
    sleep 0.3
}

# click X Y [BUTTON]: a click at window coordinates (logical pixels = twips / 15).
click() { xdotool mousemove --window "$WID" "$1" "$2" click "${3:-1}"; sleep 0.2; }

# type_into X Y TEXT: replaces a text box's content by typing.
type_into() {
    click "$1" "$2"
    xdotool key --window "$WID" ctrl+a BackSpace
    xdotool type --window "$WID" --delay 20 "$3"
}

mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }
unmapped() { ! mapped "$1"; }
window_height() { xwininfo -id "$WID" | awk '/Height:/ { print $2 }'; }

# The program's notification-area icon, if shown: sets ICON and its centre IX, IY.
find_tray_icon() {
    ICON=""
    for id in $(xdotool search --class vendrix 2>/dev/null); do
        if xwininfo -id "$id" | grep -qE 'Width: (1[6-9]|2[0-9]|3[0-2])$' && mapped "$id"; then ICON=$id; fi
    done
    [[ -n $ICON ]] || return 1
    eval "$(xdotool getwindowgeometry --shell "$ICON")"
    IX=$((X + WIDTH / 2)) IY=$((Y + HEIGHT / 2))
}

# A notification area started as a panel is, stopped by its PID: X_AREA.
# x_area trayer|tint2
x_area() {
    if [[ $1 == tint2 ]]; then
        tint2 -c /etc/xdg/tint2/tint2rc >>"$WORK/area.log" 2>&1 &
    else
        trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >>"$WORK/area.log" 2>&1 &
    fi
    X_AREA=$!
    pids+=("$X_AREA")
}
# A StatusNotifierItem host with its watcher, as a Wayland bar or Plasma has: SNI_HOST.
# Under Wayland it draws on an X screen of its own (it needs X for its
# panel); what Vendrix meets of it is on the session bus all the same.
sni_host() {
    local display=${DISPLAY:-}
    if [[ -z $display ]]; then
        exec 3>"$WORK/host-display"
        Xvfb -displayfd 3 -screen 0 640x100x24 -nolisten tcp >>"$WORK/host.log" 2>&1 &
        pids+=($!)
        await 5 test -s "$WORK/host-display"
        exec 3>&-
        display=":$(head -n1 "$WORK/host-display")"
    fi
    DISPLAY=$display GDK_BACKEND=x11 gtk-sni-tray-standalone --watcher >>"$WORK/host.log" 2>&1 &
    SNI_HOST=$!
    pids+=("$SNI_HOST")
    await 10 sni_items >/dev/null
}
sni_items() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems 2>/dev/null
}
# Vendrix's item is in the host's area.
in_sni() { sni_items | grep -q "\"org.kde.StatusNotifierItem-$VPID-1\""; }
# sni_call PATH INTERFACE.METHOD ARGS...: a call to Vendrix's item, as the host makes it.
sni_call() { dbus-send --session --print-reply --dest="org.kde.StatusNotifierItem-$VPID-1" "$@"; }
sni_status() { sni_call /StatusNotifierItem org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:Status | grep -q "\"$1\""; }
# sni_choose ID: the user chooses entry ID of the item's menu (1 Stop, 2 スヌーズを終了, 3 復元).
sni_choose() { sni_call /MenuBar com.canonical.dbusmenu.Event "int32:$1" string:clicked variant:int32:0 uint32:0 >/dev/null; }
iconic() { xprop -id "$WID" WM_STATE 2>/dev/null | grep -q Iconic; }
# A window of Vendrix's, that the window manager has, not yet visible: sets WID.
the_window() {
    await 10 bash -c "xdotool search --name '^Vendrix v0\.3\$' >/dev/null"
    WID=$(xdotool search --name '^Vendrix v0\.3$' | head -n1)
}

# Chooses 復元, the last entry of the tray icon's menu (Stop comes first while a ring lasts).
restore_from_tray() {
    xdotool mousemove "$IX" "$IY" click 3
    sleep 0.5
    xdotool key Up Return
    sleep 1
}

# A launch witness: a script that appends its arguments, one a line, to a file.
make_witness() {
    printf '#!/bin/sh\nfor a in "$@"; do echo "$a"; done >> "%s"\n' "$2" >"$1"
    chmod +x "$1"
}

# A WAV of a plain tone: make_tone FILE SECONDS
make_tone() { sox -n -r 44100 -c 1 -b 16 "$1" synth "$2" sine 660 vol 0.5; }

# Recording the session's sink. Times are seconds since the recording began.
rec_start() {
    REC="$WORK/rec.raw"
    parec -d vendrix.monitor --raw --format=s16le --rate=44100 --channels=1 \
        --latency-msec=10 >"$REC" &
    pids+=($!)
    for _ in $(seq 100); do [[ $(stat -c %s "$REC") -ge 8820 ]] && break; sleep 0.05; done
    REC_T0=$(awk -v now="$(date +%s.%N)" -v size="$(stat -c %s "$REC")" \
        'BEGIN { printf "%.3f", now - size / 88200 }')
}
rec_now() { awk -v now="$(date +%s.%N)" -v t0="$REC_T0" 'BEGIN { printf "%.3f", now - t0 }'; }
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
recorded() { (($(stat -c %s "$REC") >= $(awk -v t="$1" 'BEGIN { printf "%d", t * 88200 }'))); }
# Waits until the recording has reached SECONDS.
wait_until() { while awk -v now="$(rec_now)" -v t="$1" 'BEGIN { exit !(now < t) }'; do sleep 0.1; done; }
# rec_stat FROM SECONDS FIGURE: a figure of `sox stat` for that stretch, once recorded.
rec_stat() {
    wait_until "$(plus "$1" "$2")"
    await 3 recorded "$(plus "$1" "$2")"
    sox -t raw -r 44100 -e signed -b 16 -c 1 "$REC" -n trim "$1" "$2" stat 2>&1 |
        awk -v figure="^$3:" '$0 ~ figure { print $NF }'
}
# sound_part NAME: the PID of that part of the session's sound server, the newest.
sound_part() { awk -v n="$1" '$1 == n { p = $2 } END { print p }' "$XDG_RUNTIME_DIR/sound-server.pids"; }
# sound_server_gone [pipewire-pulse]: the session's sound server killed, as a
# crash would; with PipeWire, its pulse server alone when asked.
sound_server_gone() {
    local parts=(pulseaudio) part
    [[ $VENDRIX_SOUND == pipewire ]] && parts=(${1:-pipewire wireplumber pipewire-pulse})
    for part in "${parts[@]}"; do kill -KILL "$(sound_part "$part")"; done
    await 5 bash -c '! pactl info >/dev/null 2>&1'
}
# sound_server_back [pipewire-pulse]: started again as it was (or that part),
# its recording started afresh (REC_T0 moves).
sound_server_back() {
    "$(dirname "${BASH_SOURCE[0]}")/../../scripts/sound-server" "${1:-$VENDRIX_SOUND}" "$WORK/sound.log" &
    pids+=($!)
    await 10 bash -c 'pactl get-default-sink 2>/dev/null | grep -qx vendrix' && rec_start
}
# sound_server_stopped SECONDS: the sound server stopped (not gone: as a stuck
# server is) for that long, in the background.
sound_server_stopped() {
    local part=pulseaudio
    [[ $VENDRIX_SOUND == pipewire ]] && part=pipewire-pulse
    (kill -STOP "$(sound_part "$part")"; sleep "$1"; kill -CONT "$(sound_part "$part")") &
    pids+=($!)
}
# The index of Vendrix's playback stream, while one plays.
vendrix_stream() { pactl list sink-inputs | awk '/^Sink Input #/ { i = substr($3, 2) } /application.name = "Vendrix"/ { print i; exit }'; }
loud() { awk -v r="$(rec_stat "$1" "$2" "RMS +amplitude")" 'BEGIN { exit !(r > 0.02) }'; }
# At half volume the standard alarm's RMS is about 0.02; at 2 % it is below 0.0001.
audible() { awk -v r="$(rec_stat "$1" "$2" "RMS +amplitude")" 'BEGIN { exit !(r > 0.005) }'; }
silent() { awk -v r="$(rec_stat "$1" "$2" "RMS +amplitude")" 'BEGIN { exit !(r < 0.002) }'; }
# pitched FROM SECONDS HZ: the sound of that stretch is a tone of about HZ.
pitched() { awk -v f="$(rec_stat "$1" "$2" "Rough +frequency")" -v hz="$3" 'BEGIN { exit !(f > hz - 30 && f < hz + 30) }'; }
# loud_throughout FROM TO: sound in every second from FROM to TO.
loud_throughout() {
    local t
    for t in $(seq "$1" 1 "$(plus "$2" -1)"); do loud "$t" 1 || return 1; done
}

# dunst, the notification daemon of many a desktop, its actions chosen
# through dunstctl's menu (answered by a script): DUNST.
dunst_up() {
    mkdir -p "$WORK/dunst"
    printf '#!/bin/sh\ncat >"%s/choices"\ngrep -m1 "^#$(cat "%s/want") " "%s/choices"\n' \
        "$WORK/dunst" "$WORK/dunst" "$WORK/dunst" >"$WORK/dunst/pick"
    chmod +x "$WORK/dunst/pick"
    printf '[global]\ndmenu = %s/pick\n' "$WORK/dunst" >"$WORK/dunst/dunstrc"
    dunst -config "$WORK/dunst/dunstrc" >>"$WORK/dunst.log" 2>&1 &
    DUNST=$!
    pids+=("$DUNST")
    await 5 dunstctl count >/dev/null
}
# dunst_choose ACTION: the user chooses that action of the notification shown.
dunst_choose() { echo "$1" >"$WORK/dunst/want"; dunstctl context; }
# shown N: dunst shows N notifications (at least one with "+").
shown() { local n; n=$(dunstctl count displayed); [[ $1 == + ]] && ((n > 0)) || [[ $n == "$1" ]]; }
