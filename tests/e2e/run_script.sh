#!/usr/bin/env bash
# tools/run.sh on a netlist, as a new user starts Kelvo: the editor shows the circuit with
# the suite's side watching it, Ctrl+G shows the simulator's output with no other command
# typed, and File > Exit ends the suite's side and the script with the editor.
#   run_script.sh SOURCE BUILD EXAMPLES
set -euo pipefail
if ! command -v ngspice >/dev/null; then
    echo "SKIP: ngspice is not installed (tools/setup-deps.sh installs it)"
    exit 77
fi
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
SOURCE=$(realpath "$1")
BUILD=$(realpath "$2")
EXAMPLES=$(realpath "$3")
KELVO="$BUILD/app/kelvo"
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"
export KELVO_SHARE_BLOCK="/kelvo-e2e-run-$$"
RUN_PID=""
# The processes whose command line starts with the text, read from /proc.
processes_of() {
    local entry
    for entry in /proc/[0-9]*; do
        if [[ "$(tr '\0' ' ' <"$entry/cmdline" 2>/dev/null)" == "$1"* ]]; then
            echo "${entry#/proc/}"
        fi
    done
}
stop_run() {
    if [ -n "$RUN_PID" ] && kill -0 "$RUN_PID" 2>/dev/null; then
        kill -TERM "$RUN_PID" 2>/dev/null || true
        sleep 1
        for pid in $(processes_of "$BUILD/tools/kelvo-suite watch $E2E_DIR") \
            $(processes_of "$KELVO $E2E_DIR"); do
            kill -KILL "$pid" 2>/dev/null || true
        done
    fi
}
trap 'stop_run; end_run; rm -f "/dev/shm$KELVO_SHARE_BLOCK"' EXIT

cp -r "$EXAMPLES/amp.cir" "$EXAMPLES/lib" .
# ngspice reads an init file from the home folder: the machine's own would change the run.
HOME="$E2E_DIR" KELVO_RUN_BUILT=1 KELVO_BUILD_DIR="$BUILD" "$SOURCE/tools/run.sh" amp.cir \
    >>"$E2E_DIR/run.log" 2>&1 &
RUN_PID=$!

find_main_window "^Kelvo - amp.cir$"
suite_ready() { "$BUILD/tools/kelvo-suite" show | grep -qx 'suiteReady 1'; }
check "the suite's side is ready" wait_until 15 suite_ready
key ctrl+g
if wait_until 30 caption_is "Kelvo - amp.out"; then
    echo "ok: Ctrl+G shows the simulator's output"
else
    fail "caption \"$(caption)\" after Simulate, expected \"Kelvo - amp.out\""
fi
check "amp.out was written beside the circuit" test -s amp.out

# File > Exit: nothing is unsaved, so the editor ends, and everything with it.
key alt+f
sleep 0.3
key x
run_ended() { ! kill -0 "$RUN_PID" 2>/dev/null; }
check "run.sh ended with the editor" wait_until 15 run_ended
watch_gone() { [ -z "$(processes_of "$BUILD/tools/kelvo-suite watch $E2E_DIR")" ]; }
check "the suite's side ended with the editor" wait_until 5 watch_gone
if run_ended; then
    STATUS=0
    wait "$RUN_PID" || STATUS=$?
    check "run.sh ended with the editor's status 0" test "$STATUS" -eq 0
fi
RUN_PID=""
if ((FAILURES > 0)); then
    echo "--- run.sh said:"
    cat "$E2E_DIR/run.log"
fi
finish
