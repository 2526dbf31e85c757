#!/usr/bin/env bash
# F1 and Shift+F1 on the real window: F1 opens the help window at the topic of the word that
# begins the caret's line, F1 while the Find dialog is in front leaves that alone, Shift+F1
# and a click ask for the line clicked (or, on the toolbar, for the editor's own page), and
# the help window's own keys go back a page and close it.
#   keyword_help.sh KELVO
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

{
    printf '* help\r\n.model QGEN NPN(BF=150)\r\n.tran 1n 1u\r\nforeach v 1 2 3\r\n'
    for _ in $(seq 1 80); do printf 'while x < 3\r\n'; done
} >help.cir

start_kelvo help.cir
find_main_window "^Kelvo - help.cir$"
sleep 0.5 # the first paint

help_title() {
    local window
    window=$(visible_window "^Kelvo Help")
    [ -n "$window" ] && xdotool getwindowname "$window"
}
help_title_is() {
    [ "$(help_title 2>/dev/null)" = "$1" ]
}
# expect_help TITLE WHAT
expect_help() {
    if wait_until 5 help_title_is "Kelvo Help - $1"; then
        echo "ok: $2 shows \"$1\""
    else
        fail "$2 shows \"$(help_title 2>/dev/null || echo no help window)\", expected \"$1\""
    fi
}

focus_main
key ctrl+Home Down F1
expect_help ".MODEL: device models" "F1 on .model"
focus_main
key Down F1
expect_help ".TRAN: transient analysis" "F1 on .tran"
import -window root "$E2E_DIR/f1.png"

# With the Find dialog in front, F1 does not answer from the caret's line.
focus_main
key Down ctrl+f
if wait_until 5 has_visible_window "^Find$"; then
    xdotool windowfocus --sync "$(visible_window "^Find$")"
    key F1
    sleep 0.5
    check "F1 over the Find dialog leaves the help alone" help_title_is "Kelvo Help - .TRAN: transient analysis"
    key Escape
    wait_until 3 bash -c '! xdotool search --onlyvisible --name "^Find$" >/dev/null 2>&1' ||
        fail "Escape left the Find dialog open"
else
    fail "Ctrl+F showed no Find dialog"
fi
focus_main
key F1
expect_help "FOREACH: loop over values" "F1 on foreach once the dialog is gone"

# Shift+F1, then a click in the middle of the window, among the while lines.
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
focus_main
key shift+F1
sleep 0.3
xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
expect_help "WHILE: loop while a condition holds" "Shift+F1 and a click on a while line"
import -window root "$E2E_DIR/shift-f1.png"
# The toolbar has no keyword: the editor's own page.
focus_main
key shift+F1
sleep 0.3
xdotool mousemove --sync $((X + 8)) $((Y + 40)) click 1
expect_help "Using the Kelvo editor" "Shift+F1 and a click on the toolbar"

# The help window's keys: back a page, then Escape closes it.
HELP=$(visible_window "^Kelvo Help")
xdotool windowfocus --sync "$HELP"
key alt+Left
expect_help "WHILE: loop while a condition holds" "Alt+Left in the help window"
xdotool windowfocus --sync "$HELP"
key Escape
check "Escape closes the help window" wait_until 3 bash -c '! xdotool search --onlyvisible --name "^Kelvo Help" >/dev/null 2>&1'

# The screenshots, to look at: kept in KELVO_E2E_SHOTS when set, and in /tmp on a failure.
if [ -n "${KELVO_E2E_SHOTS:-}" ]; then
    cp "$E2E_DIR"/*.png "$KELVO_E2E_SHOTS"/
elif ((FAILURES > 0)); then
    cp "$E2E_DIR"/*.png /tmp/ 2>/dev/null || true
fi
finish
