#!/usr/bin/env bash
# The document windows on a real display: new and opened windows take the cascade's places
# inside the area, Window > Cascade keeps the windows large, a close activates the window
# used before, a minimized window chosen from the Window menu is restored, and Ctrl+F6,
# Ctrl+Shift+F6 and Ctrl+F4 move between and close windows, and a main window made smaller
# scrolls its area to the parts of a window beyond it.
#   windows.sh KELVO PROBE
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
PROBE=$(realpath "$2")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

printf '* a\r\nR1 1 2 1k\r\n' >a.cir
printf '* b\r\nR1 1 2 1k\r\n' >b.cir

start_kelvo a.cir
find_main_window "^Kelvo - a.cir$"

# A lone document fills the area: its title bar spans the area's width.
read_bar
AREA_LEFT=$BAR_X AREA_RIGHT=$((BAR_X + BAR_W)) AREA_TOP=$BAR_Y
AREA_WIDTH=$BAR_W
echo "area from x $AREA_LEFT to $AREA_RIGHT, from y $AREA_TOP"
((AREA_WIDTH > 300)) || { echo "no title bar found"; exit 1; }

inside_area() {
    ((BAR_X >= AREA_LEFT && BAR_X + BAR_W <= AREA_RIGHT && BAR_Y >= AREA_TOP))
}
bar_text() {
    echo "title bar at x $BAR_X..$((BAR_X + BAR_W)), y $BAR_Y"
}

# Opened and new windows go down the cascade, wholly inside the area.
key ctrl+o
wait_until 5 has_visible_window "^Open$" || fail "no Open dialog"
xdotool type --delay 10 b.cir
key Return
expect_caption "Kelvo - b.cir"
focus_main
read_bar
check "opened b.cir inside the area ($(bar_text))" inside_area
check "b.cir one place down the cascade ($(bar_text))" \
    test $((BAR_X - AREA_LEFT)) -eq $((BAR_Y - AREA_TOP)) -a $BAR_X -gt "$AREA_LEFT"
STEP=$((BAR_X - AREA_LEFT))

key ctrl+n
expect_caption "Kelvo - Untitled1"
read_bar
check "Untitled1 inside the area ($(bar_text))" inside_area
check "Untitled1 the next place down ($(bar_text))" \
    test $((BAR_X - AREA_LEFT)) -eq $((2 * STEP)) -a $((BAR_Y - AREA_TOP)) -eq $((2 * STEP))

# A close activates the window used most recently before, not the first one opened.
key ctrl+w
expect_caption "Kelvo - b.cir"

key ctrl+n
expect_caption "Kelvo - Untitled2"
read_bar
check "Untitled2 inside the area ($(bar_text))" inside_area

# Window > Cascade: windows of two thirds of the area's width, the active one on top.
ACTIVE=$(caption)
key alt+w c
two_thirds_wide() {
    read_bar
    ((BAR_W * 3 >= AREA_WIDTH * 2 - 36 && BAR_W * 3 <= AREA_WIDTH * 2 + 36))
}
wait_until 3 two_thirds_wide || true
check "cascaded window two thirds of the area wide ($(bar_text), width $BAR_W of $AREA_WIDTH)" \
    two_thirds_wide
check "cascaded window inside the area ($(bar_text))" inside_area
check "the active window stays active" caption_is "$ACTIVE"

# Window keys, with the windows front to back as Untitled2, b.cir, a.cir: Ctrl+Shift+F6
# brings the one at the back forward, Ctrl+F6 sends the front one to the back, Ctrl+F4
# closes the front one and the next one takes over.
press_and_expect() {
    local before
    before=$(caption)
    key "$1"
    if wait_until 3 bash -c '[ "$(xdotool getwindowname "$0")" != "$1" ]' "$MAIN" "$before"; then
        check "$1 brings \"$2\" forward" caption_is "$2"
    else
        fail "$1 left \"$before\" active"
    fi
}
press_and_expect ctrl+shift+F6 "Kelvo - a.cir"
press_and_expect ctrl+F6 "Kelvo - Untitled2"
press_and_expect ctrl+F6 "Kelvo - b.cir"
press_and_expect ctrl+F4 "Kelvo - a.cir"

# A minimized window chosen from the Window menu's list is restored.
key alt+w 1
expect_caption "Kelvo - a.cir"
read_bar
xdotool mousemove $((BAR_X + 8)) $((BAR_Y + BAR_H / 2)) click 1 # the window's own menu
key n # Minimize
minimized() {
    read_bar
    ((BAR_W < AREA_WIDTH / 3))
}
wait_until 3 minimized || fail "a.cir did not minimize ($(bar_text))"
key alt+w 2 # the other window, Untitled2, from the list
expect_caption "Kelvo - Untitled2"
key alt+w 1
expect_caption "Kelvo - a.cir"
wait_until 3 two_thirds_wide || true
check "a.cir chosen from the Window menu is restored ($(bar_text), width $BAR_W)" two_thirds_wide

# New windows until the cascade starts again at the top left, every one inside the area.
restarted=no
for n in $(seq 3 16); do
    key ctrl+n
    wait_until 3 caption_is "Kelvo - Untitled$n" || {
        fail "caption \"$(caption)\", expected \"Kelvo - Untitled$n\""
        break
    }
    read_bar
    check "Untitled$n inside the area ($(bar_text))" inside_area
    if ((BAR_X == AREA_LEFT && BAR_Y == AREA_TOP)); then
        restarted=yes
        break
    fi
done
check "the cascade starts again at the top left" test $restarted = yes

# A main window made smaller than its document window scrolls its area to the rest of it:
# the wheel on the area's scroll bar at the right edge takes the title bar out of view and
# back. Without the area's scroll bars the window's lower part would be out of reach.
xdotool windowsize --sync "$MAIN" 640 420 2>/dev/null || xdotool windowsize "$MAIN" 640 420
sleep 0.5
read_bar
check "the active window starts at the area's top ($(bar_text))" test "$BAR_Y" -eq "$AREA_TOP"
xdotool mousemove --window "$MAIN" 632 210 click --repeat 10 --delay 20 5
bar_scrolled_away() {
    read_bar
    ((BAR_H == 0 || BAR_Y < AREA_TOP))
}
check "the area scrolls down over the window ($(bar_text))" wait_until 3 bar_scrolled_away
xdotool mousemove --window "$MAIN" 632 210 click --repeat 10 --delay 20 4
bar_back() {
    read_bar
    ((BAR_Y == AREA_TOP))
}
check "and back up to its title bar ($(bar_text))" wait_until 3 bar_back

kill -TERM "$KELVO_PID"
check "Kelvo ends cleanly" wait_exit 5
finish
