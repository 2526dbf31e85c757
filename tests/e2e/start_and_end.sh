#!/usr/bin/env bash
# Starts the built editor on a virtual display with a netlist, waits for its main window
# to show the netlist's name, ends it with SIGTERM and expects a clean exit, with the
# netlist in the recent-file list of its profile.
#   start_and_end.sh KELVO NETLIST
set -euo pipefail
export KELVO="$1" NETLIST="$2" TITLE="Kelvo - $(basename "$2")"
unset QT_QPA_PLATFORM
XDG_CONFIG_HOME="$(mktemp -d)" # a profile of its own
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

"$(dirname "$(realpath "$0")")/on_display.sh" bash -c '
    "$KELVO" "$NETLIST" &
    pid=$!
    for _ in $(seq 1 150); do
        if xwininfo -root -tree | grep -qF "\"$TITLE\""; then
            kill -TERM "$pid"
            wait "$pid"
            status=$?
            if [ "$status" -eq 0 ]; then
                # Ending cleanly means the profile was written on the way out.
                if ! grep -qF "$NETLIST" "$XDG_CONFIG_HOME/Kelvo/Kelvo.conf"; then
                    echo "Kelvo ended without writing its recent-file list"
                    exit 1
                fi
                echo "window \"$TITLE\" shown; Kelvo ended cleanly"
                exit 0
            fi
            echo "Kelvo ended with $status"
            exit 1
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "Kelvo ended before its window showed"
            exit 1
        fi
        sleep 0.1
    done
    kill -KILL "$pid"
    echo "no window \"$TITLE\" within 15 s"
    exit 1
'
