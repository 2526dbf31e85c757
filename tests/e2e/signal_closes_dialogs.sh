#!/usr/bin/env bash
# SIGTERM ends the editor while a dialog that asks nothing about unsaved work is open: the
# File > Open dialog, and the OK-only warning about line terminations shown at start-up.
#   signal_closes_dialogs.sh KELVO
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

printf '* a\r\nR1 1 2 1k\r\n' >a.cir
printf '* lone line feeds\nR1 1 2 1k\n' >lf.cir

start_kelvo a.cir
find_main_window "^Kelvo - a.cir$"
key ctrl+o
if wait_until 5 has_visible_window "^Open$"; then
    kill -TERM "$KELVO_PID"
    check "SIGTERM ends Kelvo with File > Open's dialog on screen" wait_exit 5
else
    fail "no Open dialog"
fi
stop_kelvo

start_kelvo lf.cir
if wait_until 15 has_visible_window "^Kelvo$"; then # the warning, before the main window
    kill -TERM "$KELVO_PID"
    check "SIGTERM ends Kelvo with the start-up warning on screen" wait_exit 5
else
    fail "no warning about line terminations"
fi
finish
