#!/usr/bin/env bash
# kelvo-suite simulates a circuit as its user would run ngspice: from the circuit's folder, with
# the init file found there; the control section runs once, the expanded listing runs none of
# it; and the files written beside the circuit have CR LF lines, which the editor opens
# without its warning about line terminations, however the simulator wrote its progress. Each
# run keeps its plots beside the circuit, which Scope hands to gnuplot; the options answer
# without the block, as the manual page says.
#   suite_simulate.sh SUITE KELVO_LINES MANUAL
set -euo pipefail
if ! command -v ngspice >/dev/null; then
    echo "SKIP: ngspice is not installed (tools/setup-deps.sh installs it)"
    exit 77
fi
SUITE=$(realpath "$1")
KELVO_LINES=$(realpath "$2")
MANUAL=$(realpath "$3")
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

# The plots a run leaves: ngspice's own raw file where there is no control section, and what
# the control section leaves where there is one, its output without a word about writing
# them; the extension's case follows the circuit's.
has_plot() {
    grep -aq "^Plotname: $2\$" "$1"
}
check "the run without a control section keeps its plot" has_plot lt/rkm.raw "Operating Point"
check "the run with a control section keeps its plot" has_plot control/half.raw "Operating Point"
check "the control section's plots are not reported in its output" \
    bash -c "! grep -q 'raw file' control/half.out"
mkdir upper
printf '%s\r\n' '* RC' 'V1 IN 0 PULSE(0 1 0 1U 1U 1M 2M)' 'R1 IN OUT 1K' 'C1 OUT 0 1U' \
    '.TRAN 10U 4M' '.PRINT TRAN V(OUT)' '.END' >upper/RC.CIR
check "an upper-case circuit simulates" simulate upper/RC.CIR
check "its plot is kept as RC.RAW" has_plot upper/RC.RAW "Transient Analysis"
check "its output still holds the printed table" grep -q '^Index *time *v(out)' upper/RC.OUT

# Scope hands gnuplot a script with the data in it; one that stands in keeps what it read.
printf '#!/bin/sh\ncat >"%s/scope.gp"\n' "$WORK" >bin/gnuplot
chmod +x bin/gnuplot
scope() {
    PATH="$PWD/bin:$PATH" "$SUITE" scope "$1" >>"$WORK/kelvo-suite.log" 2>"$WORK/scope.err"
}
scope_drew() {
    wait_until 5 grep -q "^EOD" "$WORK/scope.gp"
}
check "Scope draws the last run" scope upper/RC.CIR
check "gnuplot is given the transient's window and data" scope_drew
check "the window is named after the raw file" \
    grep -q "title 'Scope - RC.RAW: Transient Analysis'" "$WORK/scope.gp"
check "every point of the run is drawn" \
    test "$(sed -n '/<< EOD/,/^EOD/p' "$WORK/scope.gp" | wc -l)" -eq \
    "$(($(grep -a '^No. Points' upper/RC.RAW | tr -dc 0-9) + 2))"
scope_fails_saying() {
    local circuit=$1 said=$2
    ! scope "$circuit" && grep -q "$said" "$WORK/scope.err"
}
check "Scope on an operating point only has nothing to draw" \
    scope_fails_saying lt/rkm.cir "nothing to draw"
cp lt/rkm.cir lt/fresh.cir
check "Scope before any run says to simulate first" scope_fails_saying lt/fresh.cir "simulate it first"

# The options, with a block that cannot be opened: they never reach for it.
no_block() {
    KELVO_SHARE_BLOCK=/no/such/block "$SUITE" "$@"
}
check "--version names the version" test "$(no_block --version)" = "kelvo-suite 2.00"
no_block --help >"$WORK/help.txt"
check "--help exits 0 and documents the options" grep -q -- '--version' "$WORK/help.txt"
for command in watch simulate scope show ready running circuit request family raise action; do
    check "--help and the manual page document $command" \
        bash -c "grep -q '^  $command' '$WORK/help.txt' && grep -q '^\\.B $command' '$MANUAL'"
done
for name in KELVO_SHARE_BLOCK PATH DISPLAY HOME; do
    check "--help and the manual page name $name" \
        bash -c "grep -q '$name' '$WORK/help.txt' && grep -q '$name' '$MANUAL'"
done
wrong_command_line() {
    local status=0
    no_block "$@" >"$WORK/wrong.out" 2>"$WORK/wrong.err" || status=$?
    [ "$status" -eq 2 ] && grep -q '^usage: kelvo-suite' "$WORK/wrong.err" && ! [ -s "$WORK/wrong.out" ]
}
check "a wrong command is told the usage, status 2" wrong_command_line stir
check "an unknown option is told the usage, status 2" wrong_command_line --frobnicate
check "a word too many is told the usage, status 2" wrong_command_line ready 1 2
needs_block() {
    ! no_block show 2>/dev/null
}
check "a command that needs the block fails without it" needs_block

# watch with no editor running and none to start says so.
no_editor() {
    local status=0
    PATH=/usr/bin:/bin timeout 20 "$SUITE" watch lt/rkm.cir >/dev/null 2>"$WORK/watch.err" ||
        status=$?
    [ "$status" -eq 1 ] && grep -q "no kelvo to start" "$WORK/watch.err"
}
check "watch without an editor to start fails, saying so" no_editor
"$SUITE" show >"$WORK/block.txt"
check "and leaves the Actions menu off" grep -qx 'suiteReady 0' "$WORK/block.txt"

if ((FAILURES > 0)); then
    echo "--- kelvo-suite said:"
    cat "$WORK/kelvo-suite.log"
fi
finish
