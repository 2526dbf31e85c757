#!/usr/bin/env bash
# Print Preview on a real display: a document of several pages starts with pages 1 and 2
# side by side, each whole, in a window of most of the screen; Page Down moves on by one
# page, One Page shows one, Escape closes it. A one-page document starts with one page.
#   print_preview.sh KELVO PROBE
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
PROBE=$(realpath "$2")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

{
    printf '* a netlist of several pages\r\n'
    for i in $(seq 1 199); do printf 'R%d n%d n%d %dk\r\n' "$i" "$i" $((i + 1)) "$i"; done
    printf '.end\r\n'
} >long.cir
printf '* one page\r\nR1 1 2 1k\r\n.end\r\n' >short.cir

PREVIEW=""
open_preview() {
    focus_main
    key alt+f v
    wait_until 10 has_visible_window "^Kelvo - Print Preview$" || {
        fail "no preview window"
        return 1
    }
    PREVIEW=$(visible_window "^Kelvo - Print Preview$")
    eval "$(xdotool getwindowgeometry --shell "$PREVIEW")"
    sleep 0.5
}

# The pages on show in the preview window, a line each: "x y width height".
pages() {
    "$PROBE" pages "$X" "$Y" "$WIDTH" "$HEIGHT" 2>/dev/null || true
}
page_count_is() {
    [ "$(pages | wc -l)" -eq "$1" ]
}
# Two pages of one size side by side, the first on the left, both within the window.
side_by_side() {
    local x1 y1 w1 h1 x2 y2 w2 h2
    { read -r x1 y1 w1 h1 && read -r x2 y2 w2 h2; } <<<"$(pages)" || return 1
    ((y1 == y2 && h1 == h2 && x1 + w1 < x2 && x1 > X && x2 + w2 < X + WIDTH)) &&
        ((y1 > Y && y1 + h1 < Y + HEIGHT && w1 * 2 < WIDTH && h1 * 2 > HEIGHT))
}

start_kelvo long.cir
find_main_window "^Kelvo - long.cir$"
read -r SCREEN_W SCREEN_H < <(xdotool getdisplaygeometry)

open_preview
check "the preview takes most of the screen (${WIDTH}x$HEIGHT)" \
    test $((WIDTH * 10)) -ge $((SCREEN_W * 8)) -a $((HEIGHT * 10)) -ge $((SCREEN_H * 8))
wait_until 5 page_count_is 2 || true
check "two whole pages side by side: $(pages | tr '\n' ';')" side_by_side
key Next
sleep 0.5
check "Page Down still shows two pages: $(pages | tr '\n' ';')" side_by_side
key alt+o
check "One Page shows one: $(pages | tr '\n' ';')" wait_until 5 page_count_is 1
key Escape
check "Escape closes the preview" \
    wait_until 5 bash -c "! xdotool search --onlyvisible --name '^Kelvo - Print Preview$' >/dev/null"
focus_main
key ctrl+o
wait_until 5 has_visible_window "^Open$" || fail "no Open dialog"
xdotool type --delay 10 short.cir
key Return
expect_caption "Kelvo - short.cir"
open_preview
check "a one-page document starts with one page: $(pages | tr '\n' ';')" \
    wait_until 5 page_count_is 1
key Escape

kill -TERM "$KELVO_PID"
check "Kelvo ends cleanly" wait_exit 5
finish
