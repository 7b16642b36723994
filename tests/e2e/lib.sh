# Shared helpers for the desktop end-to-end tests. Each test runs inside
# scripts/desktop-session, gets the built program and alerm.wav as $1 and $2,
# and works on copies in a temporary folder.
set -uo pipefail

VENDRIX_BIN=$(realpath "$1")
FAKETIME_LIB=$(dpkg -L libfaketime | grep -m1 '/libfaketime\.so\.1$')
ALARM_WAV=$(realpath "$2")
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
    echo "$passed passed, $failed failed"
    [[ $failed -eq 0 ]]
}

# A copy of the program in its own folder, as a user would unpack it.
install_copy() {
    mkdir -p "$1"
    cp "$VENDRIX_BIN" "$ALARM_WAV" "$1/"
}

# start_vendrix DIR [WALL-CLOCK START [SPEED]]: runs DIR/vendrix, its clock
# started at the given time ("2027-03-01 06:59:57") when one is given, and
# running SPEED times faster when a speed is given (timers too); sets VPID.
# With RUN_AS_NOBODY=1 the program runs as the user nobody.
start_vendrix() {
    local dir=$1 start=${2:-} speed=${3:-} as=()
    if [[ -n ${RUN_AS_NOBODY:-} ]]; then
        mkdir -p -m 777 "$WORK/nobody"
        as=(env HOME="$WORK/nobody" setpriv --reuid=65534 --regid=65534 --clear-groups --)
    fi
    # libfaketime is preloaded directly: the faketime wrapper leaves named
    # semaphores behind when it is killed, and a later wrapper whose PID
    # happens to match then refuses to start.
    local fake=()
    if [[ -n $start ]]; then
        fake=(env LD_PRELOAD="$FAKETIME_LIB" FAKETIME="@$start${speed:+ x$speed}")
        [[ -z $speed ]] && fake+=(FAKETIME_DONT_FAKE_MONOTONIC=1)
    fi
    (cd "$dir" && TZ=UTC exec "${as[@]}" "${fake[@]}" ./vendrix) &
    VPID=$!
    pids+=("$VPID")
}

# ended PID: waits up to 5 s for the process to end; false if it did not.
ended() {
    for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.05; done
    return 1
}

# Ends the program as a logout would and waits for it.
stop_vendrix() {
    kill -TERM "$VPID"
    ended "$VPID"
}

# Waits for the window and sets WID. A window that the window manager left
# unmapped while it was still starting up is mapped once, with a note.
wait_for_window() {
    WID=""
    for i in $(seq 300); do
        WID=$(xdotool search --onlyvisible --name '^Vendrix v0\.3$' 2>/dev/null | head -n1)
        [[ -n $WID ]] && break
        if [[ $i -eq 100 ]]; then
            for id in $(xdotool search --name '^Vendrix v0\.3$' 2>/dev/null); do
                echo "# window $id exists but is not mapped; mapping it" >&2
                xdotool windowmap "$id"
            done
        fi
        sleep 0.1
    done
    if [[ -z $WID ]]; then
        echo "# the window did not appear; the program is $(ps -o stat=,cmd= -p "$VPID")" >&2
        xwininfo -root -tree | grep -i vendrix | sed 's/^/# /' >&2
        exit 1
    fi
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

# The notification-area icon of the program, if shown: sets ICON.
find_tray_icon() {
    ICON=""
    for id in $(xdotool search --class vendrix 2>/dev/null); do
        if xwininfo -id "$id" | grep -q 'Width: 22' && mapped "$id"; then ICON=$id; fi
    done
    [[ -n $ICON ]]
}

# ini_has FILE PATTERN
ini_has() { grep -q -- "$2" "$1"; }

# The colour of a window pixel, as "r,g,b".
pixel() {
    import -window "$WID" png:- |
        convert - -format "%[fx:round(255*p{$1,$2}.r)],%[fx:round(255*p{$1,$2}.g)],%[fx:round(255*p{$1,$2}.b)]" info:
}
has_colour() { [[ "$(pixel "$1" "$2")" == "$3" ]]; }
window_height() { xwininfo -id "$WID" | awk '/Height:/ { print $2 }'; }

# Closes the window as a user would and waits for the program to end.
close_window() {
    wmctrl -i -c "$WID"
    ended "$VPID"
}

# A launch witness: a script that appends its arguments, one a line, to a file.
make_witness() {
    printf '#!/bin/sh
for a in "$@"; do echo "$a"; done >> "%s"
' "$2" >"$1"
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
    REC_PID=$!
    for _ in $(seq 100); do [[ $(stat -c %s "$REC") -ge 8820 ]] && break; sleep 0.05; done
    REC_T0=$(awk -v now="$(date +%s.%N)" -v size="$(stat -c %s "$REC")" \
        'BEGIN { printf "%.3f", now - size / 88200 }')
}
rec_now() { awk -v now="$(date +%s.%N)" -v t0="$REC_T0" 'BEGIN { printf "%.3f", now - t0 }'; }
# Waits until the recording holds everything up to now.
rec_sync() {
    local want
    want=$(rec_now)
    for _ in $(seq 60); do
        awk -v size="$(stat -c %s "$REC")" -v want="$want" 'BEGIN { exit !(size / 88200 >= want) }' && return
        sleep 0.05
    done
}
# rec_rms FROM SECONDS: the RMS amplitude (0..1) of that stretch.
rec_rms() {
    rec_sync
    sox -t raw -r 44100 -e signed -b 16 -c 1 "$REC" -n trim "$1" "$2" stat 2>&1 |
        awk '/RMS +amplitude/ { print $3 }'
}
loud() { awk -v r="$(rec_rms "$1" "$2")" 'BEGIN { exit !(r > 0.02) }'; }
silent() { awk -v r="$(rec_rms "$1" "$2")" 'BEGIN { exit !(r < 0.002) }'; }
plus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
