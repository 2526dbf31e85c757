#!/usr/bin/env bash
# Runs a command on a virtual display of its own (1280x1024, 24 bits) and ends the display
# after it, waiting until the server is gone.
#   on_display.sh COMMAND [ARGUMENT...]
# Not xvfb-run -a: it chooses the display number by looking for lock files, and a test that
# started while the previous test's server was still ending was seen to connect to that
# dying server. With -displayfd the server takes a free number itself, and says which once
# it accepts connections.
set -uo pipefail
place=$(mktemp -d)
server=""
end_server() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    rm -rf "$place"
}
trap end_server EXIT
# -noreset: without it the server resets when its last client goes, and a program that
# connects during the reset (the next start in a script) cannot open the display.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$place/display" 2>"$place/log" &
server=$!
for _ in $(seq 1 200); do
    [ -s "$place/display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
done
number=$(head -n 1 "$place/display" 2>/dev/null)
if [ -z "$number" ]; then
    echo "no virtual display within 10 s:"
    cat "$place/log"
    exit 1
fi
export DISPLAY=":$number"
unset XAUTHORITY
"$@"
