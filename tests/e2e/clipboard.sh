#!/usr/bin/env bash
# The clipboard between the editor and another program (xclip): Select All + Copy is read
# by xclip as UTF-8 with CR LF between lines, and still is after the copied text was edited;
# text xclip holds is pasted into the netlist and saved as Windows-1252 bytes.
#   clipboard.sh KELVO
set -euo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
KELVO=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/e2e_lib.sh"

XCLIP_PID="" # xclip holding the clipboard, until it is stopped
stop_xclip() {
    if [ -n "$XCLIP_PID" ]; then
        kill "$XCLIP_PID" 2>/dev/null || true
        wait "$XCLIP_PID" 2>/dev/null || true
        XCLIP_PID=""
    fi
}
trap 'status=$?; stop_xclip; (exit $status); end_run' EXIT

printf 'R1 in out 10k\r\nC1 out 0 1u \x80\xe9\r\n.end\r\n' >amp.cir

start_kelvo amp.cir
find_main_window "^Kelvo - amp.cir$"
sleep 0.5 # the first paint


# What xclip reads off the clipboard, with an x after it so that the last line break stays.
clipboard_is() {
    [ "$(xclip -selection clipboard -o "${@:2}" 2>/dev/null; printf x)" = "$1x" ]
}

# The last line break ends the file's last line: Select All stops before it.
copied=$'R1 in out 10k\r\nC1 out 0 1u \xe2\x82\xac\xc3\xa9\r\n.end'
type_keys ctrl+a ctrl+c
check "xclip reads the copied text as UTF-8 with CR LF" wait_until 5 clipboard_is "$copied"
if ! clipboard_is "$copied"; then
    echo "--- xclip read:"
    xclip -selection clipboard -o | od -c | head -10
fi
check "the clipboard offers UTF-8 under both names" \
    bash -c 'targets=$(xclip -selection clipboard -o -t TARGETS) &&
             grep -qx UTF8_STRING <<<"$targets" &&
             grep -qx "text/plain;charset=utf-8" <<<"$targets"'
check "the same text as text/plain;charset=utf-8" \
    clipboard_is "$copied" -t "text/plain;charset=utf-8"

# An edit inside the copied text: the clipboard keeps the text as it was copied.
type_keys ctrl+Home
focus_main
xdotool type --delay 20 "X"
sleep 0.3
check "after an edit xclip still reads the text copied" clipboard_is "$copied"

# Another program's text pasted at the last line's start and saved: é is one byte, the
# break CR LF.
printf 'a\xc3\xa9b\nc' | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
XCLIP_PID=$!
wait_until 5 clipboard_is $'a\xc3\xa9b\nc' || true
type_keys ctrl+End ctrl+v ctrl+s
expected=$'XR1 in out 10k\r\nC1 out 0 1u \x80\xe9\r\na\xe9b\r\nc.end\r\n'
check_file_bytes "xclip's text pasted and saved as Windows-1252 bytes" amp.cir "$expected" || true
stop_xclip

key ctrl+q
check "the editor ends without asking" wait_exit 10
finish
