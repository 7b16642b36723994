#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Each folder of src/ includes only from itself and the folders below it:
# the link order of the libraries, which is the architecture.
#   layers.sh SRC
set -uo pipefail
src=$1
declare -A below=(
    [base]=""
    [store]="base"
    [scheduler]="store base"
    [sound]="base"
    [desktop]="base"
    [actions]="scheduler store sound base"
    [clock]="scheduler store sound desktop base"
    [editor]="store base"
    [app]="clock editor actions desktop scheduler store sound base"
)
bad=0
for folder in "$src"/*/; do
    layer=$(basename "$folder")
    [[ -v below[$layer] ]] || { echo "not ok - $layer: a folder no layer names"; bad=1; continue; }
    while IFS=: read -r file header; do
        home=$(cd "$src" && ls -d */"$header" 2>/dev/null | head -n1)
        home=${home%%/*}
        [[ -z $home || $home == "$layer" || " ${below[$layer]} " == *" $home "* ]] && continue
        echo "not ok - ${file#"$src"/} includes $home/$header, above it"
        bad=1
    done < <(grep -o '^#include "[^"]*"' "$folder"*.{h,cpp} 2>/dev/null | sed 's/#include "\(.*\)"/\1/')
done
[[ $bad -eq 0 ]] && echo "ok - every folder includes only from below"
exit $bad
