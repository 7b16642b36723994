#!/usr/bin/env bash
# Soak: the real program with its wall clock (and timers) running sixty times
# faster for HOURS simulated hours from 22:00, twenty slots launching a
# witness at moments spread over that time, midnight among them. Every armed
# moment fires exactly once and nothing else fires; resident memory at the
# end is within 5 % of what it was after start-up.
#   soak.sh VENDRIX ALERM_WAV HOURS
source "$(dirname "$0")/lib.sh"
hours=${3:-3}
speed=60

app="$WORK/app"
install_copy "$app"
make_witness "$WORK/witness" "$WORK/fired"
{
    printf '[Public]\nValidation=Vendrix v0.3\n[Settings]\nSwitch=1\n'
    span=$((hours * 60))
    for n in $(seq 1 20); do
        # Minutes after 22:00; slot 13 is midnight whenever the run reaches it.
        offset=$((n * span / 21))
        [[ $n -eq 13 && $span -gt 120 ]] && offset=120
        printf '[Alerm %d]\nTime=%02d:%02d\nState=1\nCommand=2\nExec=%s?%d\n' \
            "$n" $(((22 + offset / 60) % 24)) $((offset % 60)) "$WORK/witness" "$n"
    done
} >"$app/alerm.ini"

start_vendrix "$app" "2027-03-01 22:00:00" "$speed"
wait_for_window
sleep 5
rss_start=$(awk '/VmRSS/ { print $2 }' "/proc/$VPID/status")
sleep $((hours * 3600 / speed - 5))
rss_end=$(awk '/VmRSS/ { print $2 }' "/proc/$VPID/status")
stop_vendrix

echo "# resident memory: $rss_start kB after start-up, $rss_end kB at the end"
check "every slot fired exactly once" test "$(sort -n "$WORK/fired" | tr '\n' ' ')" = "$(seq 1 20 | tr '\n' ' ')"
check "midnight fired" grep -qx 13 "$WORK/fired"
check "memory stayed within 5 %" awk -v a="$rss_start" -v b="$rss_end" 'BEGIN { exit !(b <= a * 1.05) }'
finish
