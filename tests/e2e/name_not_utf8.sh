#!/usr/bin/env bash
# Starts the built editor on a virtual display with a file whose name is not valid UTF-8
# (café in Latin-1): the file must open under its own bytes, its window show the name
# readably, and the recent-file list keep those bytes.
#   name_not_utf8.sh KELVO
set -euo pipefail
KELVO="$(realpath "$1")"
export KELVO
unset QT_QPA_PLATFORM
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME="$WORK/config" # a profile of its own
mkdir "$WORK/run" "$XDG_CONFIG_HOME"
cd "$WORK/run"
printf '* cafe\r\n' >$'caf\xe9.cir'
# The title as the window system holds it: U+FFFD stands for the byte in UTF-8.
export TITLE=$'Kelvo - caf\xef\xbf\xbd.cir'

"$(dirname "$(realpath "$0")")/on_display.sh" bash -c '
    "$KELVO" $'"'"'caf\xe9.cir'"'"' &
    pid=$!
    for _ in $(seq 1 150); do
        if xwininfo -root -tree | grep -aqF "\"$TITLE\""; then
            kill -TERM "$pid"
            wait "$pid"
            exit $?
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "Kelvo ended before its window showed"
            exit 1
        fi
        sleep 0.1
    done
    echo "no window with the file'"'"'s name within 15 s; windows:"
    xwininfo -root -tree | grep -a Kelvo || true
    kill -KILL "$pid"
    exit 1
'
expected="File1=@ByteArray($WORK/run/caf\\xe9.cir)"
if ! grep -qF "$expected" "$XDG_CONFIG_HOME/Kelvo/Kelvo.conf"; then
    echo "the recent-file list lost the name's bytes:"
    cat "$XDG_CONFIG_HOME/Kelvo/Kelvo.conf"
    exit 1
fi
echo "caf\\xe9.cir opened under its own name and kept in the recent-file list"
