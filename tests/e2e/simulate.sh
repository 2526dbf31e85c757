#!/usr/bin/env bash
# A simulation from end to end, with kelvo-suite in the suite's place: the suite opens its
# circuit in the running editor, Ctrl+G asks for a simulation, ngspice runs, and the
# editor shows the output read-only; a circuit that does not simulate lands in its errors.
# Scope draws the run's plots in a gnuplot window; ORVAS and Schematic are answered with a
# line each. A second start hands its file to the running editor and ends. watch ends when the
# editor ends, and starts one when none runs, which its Ctrl+C leaves open.
# A double-click on the error's message leads to the netlist line it names.
#   simulate.sh KELVO SUITE EXAMPLES PROBE
set -euo pipefail
if ! command -v ngspice >/dev/null; then
    echo "SKIP: ngspice is not installed (tools/setup-deps.sh installs it)"
    exit 77
fi
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
SUITE=$(realpath "$2")
EXAMPLES=$(realpath "$3")
PROBE=$(realpath "$4")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"
# A block of this run's own: the user's editor, or another test's, is never reached.
export KELVO_SHARE_BLOCK="/kelvo-e2e-simulate-$$"
WATCH_PID=""
stop_watch() {
    if [ -n "$WATCH_PID" ]; then
        kill -TERM "$WATCH_PID" 2>/dev/null || true
        wait "$WATCH_PID" 2>/dev/null || true
    fi
    WATCH_PID=""
}
trap 'stop_watch; end_run; rm -f "/dev/shm$KELVO_SHARE_BLOCK"' EXIT

cp -r "$EXAMPLES/amp.cir" "$EXAMPLES/lib" .
printf '* broken\r\nR1 1 0 1k\r\nQ5 1 2\r\n.tran 1u 1m\r\n.end\r\n' >broken.cir
mkdir other
printf '* b\r\nR1 1 2 1k\r\n' >other/b.cir

start_kelvo
find_main_window "^Kelvo - Untitled1$"

# ngspice reads an init file from the home folder where the circuit's folder has none: the
# machine's own would change the runs.
watch() {
    env -u SPICE_USERINIT_DIR HOME="$E2E_DIR" "$SUITE" watch "$1" >>"$E2E_DIR/watch.log" 2>&1 &
    WATCH_PID=$!
}

# The READ indicator: the status bar's last pane, measured as the darkness of its pixels,
# since the display is all there is to read.
read_pane_ink() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    import -window root -crop "110x20+$((X + WIDTH - 130))+$((Y + HEIGHT - 22))" \
        "$E2E_DIR/pane.png"
    convert "$E2E_DIR/pane.png" -colorspace Gray -negate -format '%[fx:int(mean*100000)]' info:
}

watch amp.cir
expect_caption "Kelvo - amp.cir" 20
CLEAN_INK=$(read_pane_ink)
key ctrl+g
if wait_until 30 caption_is "Kelvo - amp.out"; then
    echo "ok: the simulator's output shown"
else
    fail "caption \"$(caption)\" after Simulate, expected \"Kelvo - amp.out\""
fi
check "amp.out written with CR LF line ends" grep -q $'\r$' amp.out
check "amp.ckt holds the expanded netlist" grep -qi 'x1\.' amp.ckt
# The status bar follows at the next idle pass, however busy the machine.
read_only_shown() {
    OUT_INK=$(read_pane_ink)
    test "$OUT_INK" -gt $((CLEAN_INK + 200))
}
check "the output is read-only: READ shows" wait_until 10 read_only_shown
echo "(pane ink $OUT_INK against $CLEAN_INK)"
"$SUITE" show >"$E2E_DIR/block.txt"
check "the simulator is no longer running" grep -qx 'simulatorRunning 0' "$E2E_DIR/block.txt"
check "the editor is registered" grep -qx 'editorId 4' "$E2E_DIR/block.txt"
check "amp.raw keeps the run's plots" grep -aq '^Plotname: Transient Analysis' amp.raw

# Actions > Scope: gnuplot draws each analysis in a window of its own, named after the file.
focus_main
key alt+a p
check "Scope opens the transient's window" \
    wait_until 20 has_visible_window "^Scope - amp.raw: Transient Analysis$"
check "and the AC analysis's" has_visible_window "^Scope - amp.raw: AC Analysis$"
# Closed as the user closes them, so that they cover nothing the clicks below aim at.
for scope in $(xdotool search --name "^Scope - " 2>/dev/null); do
    xdotool windowkill "$scope" 2>/dev/null || true
done
said() {
    grep -q "$1" "$E2E_DIR/watch.log"
}
focus_main
key alt+a o
check "ORVAS is answered with a line" wait_until 5 said "ORVAS.*has no program here"
focus_main
key alt+a m
check "Schematic is answered with a line" wait_until 5 said "Schematic: there is no schematic"
check "watch still runs after Scope" kill -0 "$WATCH_PID"
stop_watch

# A circuit that does not simulate: the suite opens it in place of the last one, and the
# run lands in its errors.
watch broken.cir
expect_caption "Kelvo - broken.cir" 20
key ctrl+g
if wait_until 30 caption_is "Kelvo - broken.err"; then
    echo "ok: the simulator's errors shown"
else
    fail "caption \"$(caption)\" after a failing Simulate, expected \"Kelvo - broken.err\""
fi
check "the errors name the bad line" grep -q '^Error on line 3' broken.err
# The message is the first line, just under the window's title bar: a double-click on it
# selects line 3 of the netlist, which a line typed then replaces.
xdotool windowraise "$MAIN"
read_bar
xdotool mousemove --sync $((BAR_X + BAR_W / 3)) $((BAR_Y + BAR_H + 7)) click --repeat 2 --delay 60 1
expect_caption "Kelvo - broken.cir" 10
focus_main
xdotool type --delay 20 "*fixed"
key Return ctrl+s
third_line() {
    [ "$(sed -n 3p broken.cir)" = $'*fixed\r' ] && [ "$(sed -n 4p broken.cir)" = $'.tran 1u 1m\r' ]
}
check "the error's line was the one selected" wait_until 5 third_line
if ! third_line; then
    echo "--- the netlist, then the errors:"
    od -c broken.cir | head -20
    od -c broken.err | head -20
    import -window root /tmp/kelvo-simulate-error-line.png 2>/dev/null || true
fi
stop_watch

# A second start from another folder hands its file over and ends at once.
SECOND=0
(cd other && "$KELVO" b.cir 2>>"$E2E_DIR/second.log") || SECOND=$?
check "the second start ended with status 0" test "$SECOND" -eq 0
expect_caption "Kelvo - b.cir" 20

# watch ends when the editor does: asked to quit, it leaves nothing unsaved here.
block_field() {
    "$SUITE" show | sed -n "s/^$1 //p"
}
watch other/b.cir
expect_caption "Kelvo - b.cir" 20
"$SUITE" request q
check "the editor quits" wait_exit 20
watch_ended() {
    ! kill -0 "$WATCH_PID" 2>/dev/null
}
check "watch ends with the editor" wait_until 10 watch_ended
check "saying so" said "^the editor has ended$"
WATCHED=0
wait "$WATCH_PID" || WATCHED=$?
WATCH_PID=""
check "with status 0" test "$WATCHED" -eq 0
check "and the Actions menu off" test "$(block_field suiteReady)" = 0

# No editor runs: watch starts the one on PATH, in a session of its own, so that the Ctrl+C
# that ends watch leaves it open.
mkdir bin
ln -s "$KELVO" bin/kelvo
PATH="$PWD/bin:$PATH" setsid env -u SPICE_USERINIT_DIR HOME="$E2E_DIR" "$SUITE" watch amp.cir \
    >>"$E2E_DIR/watch.log" 2>&1 &
WATCH_PID=$!
find_main_window "^Kelvo - amp.cir$"
KELVO_PID=$(block_field editorPid)
session() {
    local fields
    read -r -a fields <"/proc/$1/stat"
    echo "${fields[5]}"
}
check "watch started the editor" said "^started .*/bin/kelvo$"
check "in a session of its own" test "$(session "$KELVO_PID")" != "$(session "$WATCH_PID")"
check "with the Actions menu on" wait_until 5 test "$(block_field suiteReady)" = 1
kill -INT -- "-$WATCH_PID"
check "Ctrl+C ends watch" wait_until 10 watch_ended
WATCH_PID=""
check "and leaves the editor open" kill -0 "$KELVO_PID"
check "with the Actions menu off" test "$(block_field suiteReady)" = 0
"$SUITE" request q
check "the editor watch started quits when asked" \
    wait_until 20 bash -c "! kill -0 $KELVO_PID 2>/dev/null"
KELVO_PID=""

finish
