#!/usr/bin/env bash
# Installs Kelvo with DESTDIR and starts the installed editor as a file manager would, through
# its desktop entry on a netlist, on a virtual display, with nothing of the build within its
# reach: it shows the netlist, placed by the default preferences of the install, its windows
# carry the class the desktop entry names, and SIGTERM ends it. The installed program also
# tells its version.
#   installed_editor.sh BUILD VERSION
set -uo pipefail
if [ -z "${KELVO_E2E_DISPLAY:-}" ]; then
    exec "$(dirname "$(realpath "$0")")/../e2e/on_display.sh" env KELVO_E2E_DISPLAY=1 "$0" "$@"
fi
BUILD=$(realpath "$1")
VERSION="$2"
source "$(dirname "$(realpath "$0")")/install_lib.sh"

stage /usr
desktop="$STAGE/share/applications/org.kelvo.Kelvo.desktop"
export PATH="$STAGE/bin:$PATH"
unset KVDIR

# A program that does not know the option would start the editor: it gets 10 s.
said=$(timeout -s KILL 10 "$STAGE/bin/kelvo" --version 2>/dev/null </dev/null)
check "kelvo --version ends with status 0" test $? -eq 0
check "kelvo --version says $VERSION (it says '$said')" \
    bash -c '[[ "$1" =~ (^|[^0-9.])${2//./\\.}([^0-9.]|$) ]]' - "$said" "$VERSION"

# The default preferences of the install place the window at 123,77, 640 by 480: the 44-byte
# placement record (length, flags, show command normal, minimized and maximized positions -1,
# the normal rectangle 123, 77, 763, 557), then both bars shown.
{
    printf 'kelvo 2-22-95\0'
    printf '\x2c\0\0\0\0\0\0\0\x01\0\0\0'
    printf '\xff\xff\xff\xff%.0s' 1 2 3 4
    printf '\x7b\0\0\0\x4d\0\0\0\xfb\x02\0\0\x2d\x02\0\0'
    printf '\x01\0\0\0\x01\0\0\0'
} >"$STAGE/share/kelvo/kelvo.prf"

printf '* amp\r\nR1 1 2 1k\r\n.end\r\n' >amp.cir
# The editor that gio started, known by the program it runs, so that it is ended however the
# run ends.
launched() {
    local process
    for process in /proc/[0-9]*; do
        if [ "$(readlink "$process/exe" 2>/dev/null)" = "$STAGE/bin/kelvo" ]; then
            KELVO_PID=${process#/proc/}
            return 0
        fi
    done
    return 1
}
gio launch "$desktop" "$PWD/amp.cir" 2>>"$E2E_DIR/kelvo.log" ||
    fail "gio launches the desktop entry"
if ! wait_until 10 launched; then
    echo "the desktop entry started no $STAGE/bin/kelvo within 10 s"
    exit 1
fi
find_main_window "^Kelvo - amp.cir$"
check "the installed program shows the netlist" \
    test "$(xdotool getwindowpid "$MAIN")" = "$KELVO_PID"

eval "$(xdotool getwindowgeometry --shell "$MAIN")"
check "the install's preferences place the window (it is ${WIDTH}x$HEIGHT at $X,$Y)" \
    test "$X,$Y,$WIDTH,$HEIGHT" = "123,77,640,480"

class=$(xprop -id "$MAIN" WM_CLASS | sed -n 's/.*= "[^"]*", "\([^"]*\)"$/\1/p')
named=$(sed -n 's/^StartupWMClass=//p' "$desktop")
check "the window's class '$class' is the desktop entry's '$named'" test "$class" = "$named"

kill -TERM "$KELVO_PID"
check "SIGTERM ends Kelvo" wait_until 5 bash -c "! kill -0 $KELVO_PID 2>/dev/null"
KELVO_PID=""
finish
