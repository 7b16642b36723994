#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Run inside scripts/desktop-session by bench/run; prints "name value" lines.
#   measure-desktop.sh BUILD            start-up time, idle memory, idle CPU and
#                                       wake-ups of Vendrix beside the minimal
#                                       clock, then the sound latencies
#   measure-desktop.sh BUILD restarts   the ring heard again after PipeWire's
#                                       pulse server and PipeWire restarted
#   measure-desktop.sh BUILD no-server  idle CPU and wake-ups with no sound server
set -uo pipefail
build=$1
idle=${IDLE_SECONDS:-60}
work=$(mktemp -d /tmp/vendrix-bench.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

now_ms() { date +%s%3N; }
wait_visible() {
    for _ in $(seq 2000); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.002
    done
    return 1
}
# start NAME-PATTERN COMMAND...: starts it, prints its pid and ms to window shown.
start() {
    local pattern=$1 t0 pid
    shift
    t0=$(now_ms)
    "$@" >/dev/null 2>&1 &
    pid=$!
    wait_visible "$pattern"
    echo "$pid $(($(now_ms) - t0))"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }'; }
rss_kb() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }

startup_runs() {
    local name=$1 pattern=$2
    shift 2
    for i in 1 2 3 4 5; do
        local dir="$work/$name$i"
        mkdir -p "$dir" && cp "$@" "$dir/"
        read -r pid ms < <(start "$pattern" "$dir/$(basename "$1")")
        echo "$ms"
        kill "$pid"
        wait "$pid" 2>/dev/null
    done | median
}

# idle_figures VENDRIX MINIMAL [SUFFIX]: CPU and wake-ups of both over the idle time.
idle_figures() {
    local v0 m0 vs0 ms0 hz
    v0=$(ticks "$1") m0=$(ticks "$2") vs0=$(switches "$1") ms0=$(switches "$2")
    sleep "$idle"
    hz=$(getconf CLK_TCK)
    echo "cpu_vendrix${3:-}_s_per_hour $(awk -v d=$(($(ticks "$1") - v0)) -v hz="$hz" -v t="$idle" 'BEGIN { printf "%.2f", d / hz / t * 3600 }')"
    echo "cpu_minimal${3:-}_s_per_hour $(awk -v d=$(($(ticks "$2") - m0)) -v hz="$hz" -v t="$idle" 'BEGIN { printf "%.2f", d / hz / t * 3600 }')"
    echo "wakeups_vendrix${3:-}_per_s $(awk -v d=$(($(switches "$1") - vs0)) -v t="$idle" 'BEGIN { printf "%.2f", d / t }')"
    echo "wakeups_minimal${3:-}_per_s $(awk -v d=$(($(switches "$2") - ms0)) -v t="$idle" 'BEGIN { printf "%.2f", d / t }')"
}

startup_and_idle() {
    local vpid lpid mpid monitor system_monitor
    echo "startup_vendrix_ms $(startup_runs vendrix '^Vendrix v0\.3$' "$build/vendrix" "$build/alerm.wav")"
    echo "startup_minimal_ms $(startup_runs minimal '^Minimal clock$' "$build/bench/minimal_clock")"
    mkdir -p "$work/idle" && cp "$build/vendrix" "$build/alerm.wav" "$work/idle/"
    read -r vpid _ < <(start '^Vendrix v0\.3$' "$work/idle/vendrix")
    # Beside it, one whose alerm.wav is a 30-minute recording: streamed, never decoded whole.
    mkdir -p "$work/long" && cp "$build/vendrix" "$work/long/"
    sox -n -r 44100 -c 2 -b 16 "$work/long/alerm.wav" synth 1800 sine 660 vol 0.5
    read -r lpid _ < <(start '^Vendrix v0\.3$' "$work/long/vendrix")
    read -r mpid _ < <(start '^Minimal clock$' "$build/bench/minimal_clock")
    sleep 10
    echo "rss_vendrix_kb $(rss_kb "$vpid")"
    echo "rss_minimal_kb $(rss_kb "$mpid")"
    echo "rss_vendrix_long_wav_kb $(rss_kb "$lpid")"
    kill "$lpid"; wait "$lpid" 2>/dev/null; sleep 1 # its exit is not idle traffic
    dbus-monitor --session --profile >"$work/bus.log" 2>/dev/null &
    monitor=$!
    dbus-monitor --system --profile >"$work/system-bus.log" 2>/dev/null &
    system_monitor=$!
    idle_figures "$vpid" "$mpid"
    kill "$monitor" "$system_monitor" "$vpid" "$mpid"
    # Messages on each bus, the monitor's own name changes aside.
    messages() { grep -v '^#' "$1" | grep -cvE 'NameAcquired|NameLost|NameOwnerChanged'; }
    echo "dbus_messages_idle $(messages "$work/bus.log")"
    echo "dbus_system_messages_idle $(messages "$work/system-bus.log")"
}

# With no sound server at all, after the minute a start waits for one.
idle_without_server() {
    local vpid mpid
    mkdir -p "$work/idle" && cp "$build/vendrix" "$build/alerm.wav" "$work/idle/"
    read -r vpid _ < <(start '^Vendrix v0\.3$' "$work/idle/vendrix")
    read -r mpid _ < <(start '^Minimal clock$' "$build/bench/minimal_clock")
    sleep 70
    idle_figures "$vpid" "$mpid" _no_server
    kill "$vpid" "$mpid"
}

part_pid() { awk -v n="$1" '$1 == n { p = $2 } END { print p }' "$XDG_RUNTIME_DIR/sound-server.pids"; }

# ring_back KIND PART...: the ring heard again after the sound server's
# return: five times during one ring, the parts killed for 2.1 to 2.9
# seconds and KIND started again, then from the moment the new server
# answers to the first loud 10 ms of a recording of it (its start taken from
# its end and its length, as the recorder takes a while to start).
ring_back() {
    local kind=$1 rpid back part
    shift
    mkdir -p "$work/ring" && cp "$build/vendrix" "$build/alerm.wav" "$work/ring/"
    printf '[Public]\nValidation=x\n[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\n' >"$work/ring/alerm.ini"
    (cd "$work/ring" && LD_PRELOAD=$(dpkg -L libfaketime | grep -m1 '/libfaketime\.so\.1$') \
        FAKETIME="@2027-03-01 06:59:59" FAKETIME_DONT_FAKE_MONOTONIC=1 exec ./vendrix >/dev/null 2>&1) &
    rpid=$!
    wait_visible '^Vendrix v0\.3$'
    sleep 3
    for i in 1 2 3 4 5; do
        for part in "$@"; do kill -KILL "$(part_pid "$part")" 2>/dev/null; done
        sleep "2.$((2 * i - 1))" # not in step with Vendrix's tries
        "$(dirname "$0")/../scripts/sound-server" "$kind" "$work/sound.log" >/dev/null 2>&1 &
        # A restart that hangs (PipeWire's graph does, now and then) is not measured.
        local by=$((SECONDS + 20))
        until timeout 1 pactl info >/dev/null 2>&1; do
            ((SECONDS < by)) || continue 2
            sleep 0.005
        done
        back=$(date +%s.%N)
        timeout 3 parec -d vendrix.monitor --raw --format=s16le --rate=44100 --channels=1 \
            --latency-msec=10 >"$work/back.raw"
        # The recording ends now: what followed its first loud 10 ms began this long before.
        sox -t raw -r 44100 -e signed -b 16 -c 1 "$work/back.raw" -n silence 1 0.01 2% stat 2>&1 |
            awk -v ended="$(date +%s.%N)" -v back="$back" '/^Length/ { printf "%d\n", (ended - $3 - back) * 1000 }'
    done | median
    for part in "$@"; do kill "$(part_pid "$part")" 2>/dev/null; done # the last server started here
    kill "$rpid"
    wait "$rpid" 2>/dev/null
}

sound_latency() {
    "$build/bench_sound" --memory "$work/long/alerm.wav" |
        sed -n 's/^memory idle \([0-9]*\) kB, while the long file plays \([0-9]*\) kB$/rss_sound_idle_kb \1\nrss_sound_long_kb \2/p'
    "$build/bench_sound" | sed -n 's/^standard alarm.*: \(-\?[0-9]*\) ms$/sound_standard_ms \1/p; s/^WAV, PlayWav.*: \(-\?[0-9]*\) ms$/sound_wav_ms \1/p; s/^WAV, first PlayWav.*: \(-\?[0-9]*\) ms$/sound_wav_first_ms \1/p'
}

case ${2:-all} in
all)
    startup_and_idle
    echo "sound_back_ms $(ring_back bare pulseaudio)"
    sound_latency
    ;;
restarts)
    echo "sound_back_pipewire_pulse_ms $(ring_back pipewire-pulse pipewire-pulse)"
    echo "sound_back_pipewire_ms $(ring_back pipewire pipewire wireplumber pipewire-pulse)"
    ;;
no-server) idle_without_server ;;
esac
