# Shared by the end-to-end scripts: runs the editor on the virtual display the script was
# started on, finds its windows, sends keys, reads captions and title bars, and collects
# failed checks, so that one run reports every fault it finds. Every wait is bounded.
# Source it after setting KELVO (the editor) and, for title bars, PROBE (kelvo_screen_probe).

unset QT_QPA_PLATFORM
E2E_DIR="$(mktemp -d)"
export XDG_CONFIG_HOME="$E2E_DIR/config" # a profile of its own
mkdir -p "$XDG_CONFIG_HOME" "$E2E_DIR/files"
cd "$E2E_DIR/files"
KELVO_PID=""
FAILURES=0
# On a failed run, what the editor said on its error stream is part of the report.
end_run() {
    local status=$?
    stop_kelvo
    if [ "$status" -ne 0 ] && [ -s "$E2E_DIR/kelvo.log" ]; then
        echo "--- the editor's error output:"
        cat "$E2E_DIR/kelvo.log"
    fi
    rm -rf "$E2E_DIR"
}
trap end_run EXIT

fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}

# check DESCRIPTION COMMAND...: counts a failure when the command fails.
check() {
    local what="$1"
    shift
    if "$@"; then
        echo "ok: $what"
    else
        fail "$what"
    fi
}

finish() {
    if ((FAILURES > 0)); then
        echo "$FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

start_kelvo() {
    "$KELVO" "$@" 2>>"$E2E_DIR/kelvo.log" &
    KELVO_PID=$!
}

stop_kelvo() {
    if [ -n "$KELVO_PID" ] && kill -0 "$KELVO_PID" 2>/dev/null; then
        kill -KILL "$KELVO_PID" 2>/dev/null || true
        wait "$KELVO_PID" 2>/dev/null || true
    fi
    KELVO_PID=""
}

# wait_until SECONDS COMMAND...: polls every 50 ms.
wait_until() {
    local tries=$(($1 * 20))
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# Checks, waiting up to 5 s, that FILE holds exactly the bytes EXPECTED (trailing line
# breaks included); on a failure the file's bytes are shown.
check_file_bytes() {
    local what=$1 file=$2 expected=$3
    check "$what" wait_until 5 bash -c '[ "$(cat "$1"; printf x)" = "$0x" ]' "$expected" "$file"
    if ! [ "$(cat "$file"; printf x)" = "${expected}x" ]; then
        echo "--- the file:"
        od -c "$file" | head -20
        return 1
    fi
}

visible_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

has_visible_window() {
    [ -n "$(visible_window "$1")" ]
}

# The main window, once it shows a caption matching the pattern; keys go to it from then on.
find_main_window() {
    if ! wait_until 15 has_visible_window "$1"; then
        echo "no window \"$1\" within 15 s"
        exit 1
    fi
    MAIN=$(visible_window "$1")
    xdotool windowfocus --sync "$MAIN"
}

# Back to the main window after a dialog: without a window manager nobody gives the focus back.
focus_main() {
    xdotool windowfocus --sync "$MAIN"
}

caption() {
    xdotool getwindowname "$MAIN" 2>/dev/null
}

caption_is() {
    [ "$(caption)" = "$1" ]
}

# expect_caption TEXT [SECONDS]: waits up to 3 s (or SECONDS) for it, and counts a failure
# when it does not come.
expect_caption() {
    if wait_until "${2:-3}" caption_is "$1"; then
        echo "ok: caption \"$1\""
    else
        fail "caption \"$(caption)\", expected \"$1\""
    fi
}

key() {
    xdotool key "$@"
}

# Keys typed into the main window, focused first as a user's click would, a little apart.
type_keys() {
    focus_main
    xdotool key --delay 20 "$@"
}

# Reads the active title bar into BAR_X, BAR_Y, BAR_W, BAR_H, once two readings agree, so
# that a window still being painted is not measured. Without one, all are 0.
read_bar() {
    local previous="" reading=""
    for _ in $(seq 1 40); do
        reading=$("$PROBE" 2>/dev/null || echo "0 0 0 0")
        [ "$reading" = "$previous" ] && break
        previous=$reading
        sleep 0.05
    done
    read -r BAR_X BAR_Y BAR_W BAR_H <<<"$reading"
}

# wait_exit SECONDS: true when the editor ended within that time with status 0.
wait_exit() {
    local seconds=$1
    if ! wait_until "$seconds" bash -c "! kill -0 $KELVO_PID 2>/dev/null"; then
        echo "still running after $seconds s"
        stop_kelvo
        return 1
    fi
    local status=0
    wait "$KELVO_PID" || status=$?
    KELVO_PID=""
    [ "$status" -eq 0 ] || echo "ended with status $status"
    [ "$status" -eq 0 ]
}
