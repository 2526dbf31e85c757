#!/usr/bin/env bash
# Types into a netlist through the X server's own key events, with the keyboard and the
# mouse, splits the window and types in the other pane, undoes a word, saves with Ctrl+S,
# and expects exactly the bytes typed in the file, line breaks as CR LF.
#   type_and_save.sh KELVO
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

printf '* amp\r\nR1 1 2 1k\r\n.end\r\n' >amp.cir

start_kelvo amp.cir
find_main_window "^Kelvo - amp.cir$"
sleep 0.5 # the first paint

type_text() {
    focus_main
    xdotool type --delay 20 "$1"
}

# At the end of the first line: a new card below it.
type_keys ctrl+Home End Return
type_text "C1 2 0 10p"
# Down keeps the caret's pixel x: past the end of the shorter line below, it stops at its end.
type_keys Down End BackSpace BackSpace
type_text "2k"
# Overwrite mode: Insert, then the resistor's name typed over.
type_keys Insert Home
type_text "R7"
type_keys Insert
# A word typed and taken back by Undo, which takes typed characters back one at a time.
type_text " junk"
type_keys ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z
# A tab typed, not a change of focus; Ctrl+End goes to the start of the last line.
type_keys ctrl+End
type_text "* end"
type_keys Tab Return

# Window > Split gives a second pane; what is typed there lands in the same text.
focus_main
key alt+w
sleep 0.3
key p
sleep 0.5
type_keys ctrl+Home
type_text "* top"
type_keys Return

type_keys ctrl+s
sleep 0.5
expected=$'* top\r\n* amp\r\nC1 2 0 10p\r\nR7 1 2 2k\r\n* end\t\r\n.end\r\n'
check_file_bytes "the saved file holds exactly the typed bytes" amp.cir "$expected" ||
    import -window root /tmp/kelvo-type-and-save.png 2>/dev/null || true

key ctrl+q
check "the editor ends without asking" wait_exit 10
finish
