#!/usr/bin/env bash
# Runs a command on a new virtual display (1280x1024, 24 bits), once the display answers.
#   on_display.sh COMMAND [ARGUMENT...]
# xvfb-run now and then hands over a display that does not take connections (seen once on
# a loaded machine, with the program then ending at start): the command waits for the
# display, and a display that never answers gets one more try on a new server.
set -uo pipefail
for attempt in 1 2; do
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        for _ in $(seq 1 200); do
            if xdpyinfo >/dev/null 2>&1; then
                exec "$@"
            fi
            sleep 0.05
        done
        echo "the virtual display $DISPLAY did not answer within 10 s"
        exit 97' on_display "$@"
    status=$?
    [ "$status" -ne 97 ] && exit "$status"
done
exit 97
