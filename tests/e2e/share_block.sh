#!/usr/bin/env bash
# The suite's shared block under what another program can do to it:
# - cut short under an editor with unsaved work: the editor says so once and lives on, its
#   window and text kept (they save); a SIGBUS sent to it still ends it as it always did;
# - left by an editor killed outright, its process id since taken by another program: the
#   next start shows its window, and the start after it hands its file over and ends;
# - held by an editor that has stopped answering: a second start gives up with a message and
#   a failing status, and the file it named does not open later.
#   share_block.sh KELVO
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"
export KELVO_SHARE_BLOCK="${KELVO_SHARE_BLOCK:-/kelvo-e2e-share-block-$$}"
BLOCK="/dev/shm$KELVO_SHARE_BLOCK"
rm -f "$BLOCK"
SLEEPER=""
trap 'end_run; rm -f "$BLOCK"; [ -z "$SLEEPER" ] || kill "$SLEEPER" 2>/dev/null || true' EXIT

# The 32-bit number at a byte offset of the block, and one written there (little-endian).
block_number() {
    od -An -tu4 -j "$1" -N4 "$BLOCK" | tr -d ' '
}
set_block_number() {
    local v=$2
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) \
        $((v >> 16 & 255)) $((v >> 24 & 255)))" |
        dd of="$BLOCK" bs=1 seek="$1" conv=notrunc status=none
}
# The caption of the visible window that is exactly "Kelvo": a message box.
message_shown() {
    has_visible_window "^Kelvo$"
}
process_runs() {
    kill -0 "$1" 2>/dev/null
}

# --- Cut short under an editor with unsaved work.
printf '* amp\r\nR1 1 2 1k\r\n.end\r\n' >amp.cir
start_kelvo amp.cir
find_main_window "^Kelvo - amp.cir"
sleep 0.5 # the first paint
xdotool key --delay 20 ctrl+Home
xdotool type --delay 20 "* edited"
xdotool key Return
check "the editor registered in the block" \
    wait_until 3 bash -c '[ "$(od -An -tu4 -j64 -N4 "$0" | tr -d " ")" = "$1" ]' "$BLOCK" "$KELVO_PID"
truncate -s 0 "$BLOCK"
if wait_until 5 message_shown; then
    echo "ok: a message says the block was lost"
    xdotool windowfocus --sync "$(visible_window "^Kelvo$")"
    key Return
else
    fail "no message about the lost block"
fi
check "the editor lives on" process_runs "$KELVO_PID"
check "its window stays" has_visible_window "^Kelvo - amp.cir"
sleep 1.5 # a pass or two of the one-second timer
check "the loss is said once" bash -c '! xdotool search --onlyvisible --name "^Kelvo$" >/dev/null'
focus_main
key ctrl+s
check "its text was kept and saves" \
    wait_until 5 bash -c '[ "$(cat amp.cir)" = "$(printf "* edited\r\n* amp\r\nR1 1 2 1k\r\n.end\r")" ]'
kill -BUS "$KELVO_PID"
status=0
wait "$KELVO_PID" || status=$?
KELVO_PID=""
# Ended by the signal, or where the sanitizers run, by their report of it, as always.
check "a SIGBUS sent to the editor still ends it (status $status)" \
    bash -c '[ "$0" -eq 135 ] || grep -q "AddressSanitizer: BUS" "$1"' "$status" "$E2E_DIR/kelvo.log"

# --- Left by an editor killed outright, its id taken since by another program.
rm -f "$BLOCK"
printf '* b\r\n' >b.cir
printf '* c\r\n' >c.cir
printf '* d\r\n' >d.cir
printf '* e\r\n' >e.cir
start_kelvo b.cir
find_main_window "^Kelvo - b.cir$"
dead=$KELVO_PID
stop_kelvo
sleep 300 &
SLEEPER=$!
check "the killed editor's id is in the block" [ "$(block_number 64)" = "$dead" ]
set_block_number 64 "$SLEEPER"
start_kelvo c.cir
find_main_window "^Kelvo - c.cir$"
echo "ok: a start past a reused id shows its window"
check "it registered itself" [ "$(block_number 64)" = "$KELVO_PID" ]
status=0
timeout 20 "$KELVO" d.cir 2>>"$E2E_DIR/kelvo.log" || status=$?
check "the next start hands its file over and ends with 0 (status $status)" [ "$status" -eq 0 ]
expect_caption "Kelvo - d.cir" 5

# --- Held by an editor that no longer answers.
kill -STOP "$KELVO_PID"
status=0
began=$SECONDS
timeout 30 "$KELVO" e.cir 2>"$E2E_DIR/stuck.log" || status=$?
kill -CONT "$KELVO_PID"
cat "$E2E_DIR/stuck.log"
check "a start that no editor answers fails (status $status)" [ "$status" -eq 4 ]
check "it says why and what to do" grep -q "did not take this command line" "$E2E_DIR/stuck.log"
check "it waited for the editor first" [ $((SECONDS - began)) -ge 9 ]
sleep 1.5
check "the editor, answering again, does not open the withdrawn file" caption_is "Kelvo - d.cir"
key ctrl+q
check "the editor ends" wait_exit 10
finish
