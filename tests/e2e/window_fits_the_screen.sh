#!/usr/bin/env bash
# A preference file whose window reaches from 0,0 to 2^31-1 both ways: the main window opens
# inside the screen, the editor stays small and answers keys, and SIGTERM ends it.
#   window_fits_the_screen.sh KELVO
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

# The 44-byte placement record: length, flags, show command (normal), the minimized and
# maximized positions (-1), then the normal rectangle 0, 0, 2^31-1, 2^31-1; both bars shown.
export KVDIR="$E2E_DIR/prefs"
mkdir -p "$KVDIR"
{
    printf 'kelvo 2-22-95\0'
    printf '\x2c\0\0\0\0\0\0\0\x01\0\0\0'
    printf '\xff\xff\xff\xff%.0s' 1 2 3 4
    printf '\0\0\0\0\0\0\0\0\xff\xff\xff\x7f\xff\xff\xff\x7f'
    printf '\x01\0\0\0\x01\0\0\0'
} >"$KVDIR/kelvo.prf"
[ "$(stat -c %s "$KVDIR/kelvo.prf")" -eq 66 ] || { echo "the preference file is not 66 bytes"; exit 1; }

printf '* amp\r\nR1 1 2 1k\r\n' >amp.cir
start_kelvo amp.cir
find_main_window "^Kelvo - amp.cir$"

read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2] }')
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
echo "screen ${screen_w}x${screen_h}, window ${WIDTH}x${HEIGHT} at $X,$Y"
check "the window lies inside the screen" \
    test "$X" -ge 0 -a "$Y" -ge 0 -a $((X + WIDTH)) -le "$screen_w" -a $((Y + HEIGHT)) -le "$screen_h"
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$KELVO_PID/status")
echo "resident: $((rss_kb / 1024)) MB"
check "the editor holds less than 400 MB" test "$rss_kb" -lt $((400 * 1024))

key ctrl+n
expect_caption "Kelvo - Untitled1" 5

kill -TERM "$KELVO_PID"
check "SIGTERM ends Kelvo" wait_exit 5
finish
