#!/usr/bin/env bash
# Opens Options > Font on the real window, twice: Escape closes the dialog at once, and
# Enter (OK on the font as offered) closes it at once; either way the text looks as it did.
#   font_dialog_keys.sh KELVO NETLIST
set -euo pipefail
export KELVO="$1" NETLIST="$2" TITLE="Kelvo - $(basename "$2")"
unset QT_QPA_PLATFORM
XDG_CONFIG_HOME="$(mktemp -d)" # a profile of its own, and room for the screenshots
export XDG_CONFIG_HOME SHOTS="$XDG_CONFIG_HOME"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

"$(dirname "$(realpath "$0")")/on_display.sh" bash -c '
    "$KELVO" "$NETLIST" &
    pid=$!
    trap "kill -KILL $pid 2>/dev/null || true" EXIT
    fail() { echo "$1"; import -window root "$SHOTS/failed.png" 2>/dev/null || true; exit 1; }
    shown() { xwininfo -root -tree | grep -qF "\"$1\""; }
    # wait_until shown|gone NAME TENTHS
    wait_until() {
        for _ in $(seq 1 "$3"); do
            if shown "$2"; then [ "$1" = shown ] && return 0; else [ "$1" = gone ] && return 0; fi
            sleep 0.1
        done
        return 1
    }
    wait_until shown "$TITLE" 150 || fail "no window \"$TITLE\" within 15 s"
    main=$(xdotool search --name "^$TITLE\$" | head -1)
    xdotool windowfocus --sync "$main"
    sleep 0.5 # the first paint
    import -window "$main" "$SHOTS/before.png"
    for key in Escape Return; do
        xdotool windowfocus --sync "$main"
        xdotool key alt+o
        sleep 0.3
        xdotool key f
        wait_until shown Font 50 || fail "Options > Font showed no dialog"
        sleep 0.3
        xdotool key "$key"
        wait_until gone Font 20 || fail "one $key left the font dialog open"
        sleep 0.3
        import -window "$main" "$SHOTS/after-$key.png"
        # The blinking caret (2 pixels by a line) is all that may differ.
        changed=$(compare -metric AE "$SHOTS/before.png" "$SHOTS/after-$key.png" null: 2>&1 || true)
        if [ "${changed%%.*}" -gt 80 ]; then
            cp "$SHOTS/after-$key.png" /tmp/kelvo-font-dialog-after-$key.png 2>/dev/null || true
            fail "after $key in the font dialog, $changed pixels of the window changed"
        fi
        echo "$key closed the font dialog at once; $changed pixels changed"
    done
    kill -TERM "$pid"
    wait "$pid" || fail "Kelvo ended with $?"
'
