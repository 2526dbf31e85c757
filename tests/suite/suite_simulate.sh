#!/usr/bin/env bash
# kelvo-suite simulates a circuit as its user would run ngspice: from the circuit's folder, with
# the init file found there; the control section runs once, the expanded listing runs none of
# it; and the files written beside the circuit have CR LF lines, which the editor opens
# without its warning about line terminations, however the simulator wrote its progress.
#   suite_simulate.sh SUITE KELVO_LINES
set -euo pipefail
if ! command -v ngspice >/dev/null; then
    echo "SKIP: ngspice is not installed (tools/setup-deps.sh installs it)"
    exit 77
fi
SUITE=$(realpath "$1")
KELVO_LINES=$(realpath "$2")
# Its checks and its folder: no editor runs here, so no display is needed.
source "$(dirname "$(realpath "$0")")/../e2e/e2e_lib.sh"
WORK="$E2E_DIR"
# A block of this run's own, so that no editor is asked to show what these runs write.
export KELVO_SHARE_BLOCK="${KELVO_SHARE_BLOCK:-/kelvo-suite-simulate-$$}"
trap 'end_run; rm -f "/dev/shm$KELVO_SHARE_BLOCK"' EXIT
# ngspice looks for .spiceinit in SPICE_USERINIT_DIR, the current folder, then the home
# folder: only the circuits' folders may hold one here.
unset SPICE_USERINIT_DIR
export HOME="$WORK/home"
mkdir -p "$HOME"

# Every line, the last one included, ends with CR LF, and no CR stands anywhere else.
crlf_lines() {
    cmp -s "$1" <(tr -d '\r' <"$1" | sed 's/$/\r/')
}

# The editor reads the file without a word about its line terminations.
opens_quietly() {
    "$KELVO_LINES" "$1" >/dev/null 2>"$WORK/lines.log" && ! [ -s "$WORK/lines.log" ]
}

simulate() {
    "$SUITE" simulate "$1" >>"$WORK/kelvo-suite.log" 2>&1
}

# 4k7 is 4.7 kilohms only where LTspice's notation is on, as the folder's init file asks.
mkdir lt
printf 'set ngbehavior=lt\n' >lt/.spiceinit
printf '* 4.7 V over 4k7\r\nV1 1 0 4.7\r\nR1 1 0 4k7\r\n.op\r\n.end\r\n' >lt/rkm.cir
check "a circuit simulates with its folder's init file" simulate lt/rkm.cir
check "the init file's ngbehavior holds: 1 mA through 4k7" \
    grep -q 'v1#branch *-1.00000e-03' lt/rkm.out
check "the output has CR LF lines" crlf_lines lt/rkm.out
check "the expanded circuit has CR LF lines" crlf_lines lt/rkm.ckt
check "the expanded circuit lists the resistor" grep -qi '^ *[0-9]* : r1 1 0 4k7' lt/rkm.ckt

# A control section that writes files runs once; the listing shows the subcircuit expanded
# from an include found beside the circuit, and nothing of ngspice's last words.
mkdir -p control/lib
printf '.subckt half a b\nR1 a b 1k\nR2 b 0 1k\n.ends\n' >control/lib/half.inc
printf '%s\r\n' '* a control section that writes' '.include lib/half.inc' 'V1 in 0 2' \
    'X1 in out half' '.control' 'op' 'echo ran >> runs.txt' 'wrdata half.txt v(out)' 'quit' \
    '.endc' '.end' >control/half.cir
check "the circuit with a control section simulates" simulate control/half.cir
check "the control section ran once" test "$(cat control/runs.txt)" = "ran"
check "its wrdata wrote the half of 2 V" grep -q ' 1.00000000e+00' control/half.txt
check "the expanded circuit holds the subcircuit's resistors" grep -qi 'r\.x1\.r2' control/half.ckt
check "the expanded circuit ends with the circuit" bash -c "! grep -q ngspice- control/half.ckt"

# Progress counts that return the carriage, written to the error stream as ngspice writes
# them, leave the count a terminal would show, in a file the editor opens quietly.
mkdir bin progress
printf '#!/bin/sh\nprintf " Reference value :  1.00000e-03\\r Reference value :  2.00000e-03\\r" >&2\nexec %q "$@"\n' \
    "$(command -v ngspice)" >bin/ngspice
chmod +x bin/ngspice
cp lt/rkm.cir lt/.spiceinit progress/
simulate_showing_progress() {
    PATH="$PWD/bin:$PATH" simulate "$1"
}
check "a circuit simulates through a simulator that shows progress" \
    simulate_showing_progress progress/rkm.cir
check "the errors hold the last count, in CR LF lines" \
    test "$(cat -v progress/rkm.err)" = " Reference value :  2.00000e-03^M"
check "the errors open without the line-end warning" opens_quietly progress/rkm.err
check "the output opens without the line-end warning" opens_quietly progress/rkm.out

if ((FAILURES > 0)); then
    echo "--- kelvo-suite said:"
    cat "$WORK/kelvo-suite.log"
fi
finish
