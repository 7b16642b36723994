#!/usr/bin/env bash
# Hostile settings files: the program starts, runs on its defaults or its
# values, rings, and never destroys a file it could read but not parse, nor
# one it could not read or write.
source "$(dirname "$0")/lib.sh"

chmod 755 "$WORK"
fired="$WORK/fired"
make_witness "$WORK/witness" "$fired"
valid_ini() {
    printf '[Public]\nValidation=Vendrix v0.3\n[Settings]\nSwitch=1\n[Alerm 1]\nTime=07:00\nState=1\nCommand=2\nExec=%s?%s\n' \
        "$WORK/witness" "$1"
}
# run_case NAME: starts the copy in $WORK/NAME a few seconds before 07:00, lets
# the alarm come, and closes the window.
run_case() {
    start_vendrix "$WORK/$1" "2027-03-01 06:59:57"
    wait_for_window
    check "$1: the program starts" test -n "$WID"
    sleep 5
    close_window
}
rang() { grep -qx "$1" "$fired" 2>/dev/null; }
old_or_complete() {
    local file="$WORK/$1/alerm.ini"
    [[ "$(cat "$file")" == "$(valid_ini "$1")" ]] ||
        { grep -q "^Exec=$WORK/witness?$1\$" "$file" && grep -q '^Exec=$' "$file" &&
          [[ "$(tail -n1 "$file")" == "Exec=" ]]; }
}

install_copy "$WORK/folder"
mkdir "$WORK/folder/alerm.ini"
run_case folder
check "folder: it is left a folder" test -d "$WORK/folder/alerm.ini"

install_copy "$WORK/dangling"
ln -s "$WORK/nowhere/alerm.ini" "$WORK/dangling/alerm.ini"
run_case dangling
check "dangling: the link is left as it was" test -L "$WORK/dangling/alerm.ini"

install_copy "$WORK/random"
head -c $((50 << 20)) /dev/urandom >"$WORK/random/alerm.ini"
cp "$WORK/random/alerm.ini" "$WORK/random.orig"
run_case random
check "random: the 50 MB it could not parse are all still there" \
    cmp -s -n $((50 << 20)) "$WORK/random/alerm.ini" "$WORK/random.orig"
rm -f "$WORK/random.orig" "$WORK/random/alerm.ini"

chmod 777 "$WORK"
touch "$fired" && chmod 666 "$fired"
install_copy "$WORK/unreadable"
valid_ini unreadable >"$WORK/unreadable/alerm.ini"
chmod 000 "$WORK/unreadable/alerm.ini"
chmod 777 "$WORK/unreadable"
RUN_AS_NOBODY=1 run_case unreadable
check "unreadable: the file is untouched" test "$(valid_ini unreadable)" = "$(cat "$WORK/unreadable/alerm.ini")"

install_copy "$WORK/readonly"
valid_ini readonly >"$WORK/readonly/alerm.ini"
chmod 555 "$WORK/readonly"
RUN_AS_NOBODY=1 run_case readonly
check "readonly: the alarm rings from the file's values" rang readonly
check "readonly: the file is untouched" test "$(valid_ini readonly)" = "$(cat "$WORK/readonly/alerm.ini")"

mkdir "$WORK/full"
if mount -t tmpfs -o size=200m tmpfs "$WORK/full" 2>/dev/null; then
    trap 'umount -l "$WORK/full"; cleanup' EXIT
    install_copy "$WORK/full"
    valid_ini full >"$WORK/full/alerm.ini"
    head -c 200M /dev/zero >"$WORK/full/filler" 2>/dev/null # the disk is now full
    run_case full
    check "full: the alarm rings from the file's values" rang full
    check "full: the file is the old one, or a complete new one with its values" old_or_complete full
else
    echo "# skipped the full disk: no tmpfs can be mounted here"
fi
finish
