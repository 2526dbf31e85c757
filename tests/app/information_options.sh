#!/usr/bin/env bash
# `kelvo --help` and `kelvo --version` answer on standard output and end with status 0,
# with no display to be had and without creating the shared block; any other first
# argument still starts the editor (which, with no display, fails).
# The manual page names every option, variable and exit status the help names.
#   information_options.sh KELVO VERSION MANUAL
set -uo pipefail
KELVO=$1
VERSION=$2
MANUAL=$3
export KELVO_SHARE_BLOCK="/kelvo-information-$$"
BLOCK="/dev/shm$KELVO_SHARE_BLOCK"
trap 'rm -f "$BLOCK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# xcb without DISPLAY: a Qt application made by mistake would abort.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$KELVO" "$@" 2>/dev/null; }

out=$(run --version) || fail "--version ended with status $?"
[ "$out" = "kelvo $VERSION" ] || fail "--version printed \"$out\", expected \"kelvo $VERSION\""

help=$(run --help) || fail "--help ended with status $?"
for word in "Usage: kelvo [FILE [/pDIR]...]" "--help" "--version" "/pDIR" "-pDIR" \
    KELVO_SHARE_BLOCK KVDIR kelvo.prf "Exit status" kelvo-suite; do
    grep -qF -- "$word" <<<"$help" || fail "--help does not mention $word"
done
longest=$(awk '{ if (length > n) n = length } END { print n }' <<<"$help")
[ "$longest" -le 80 ] || fail "--help has a line of $longest characters"

manual=$(MANWIDTH=80 man -l "$MANUAL" 2>/dev/null)
for word in --help --version /pDIR -pDIR KELVO_SHARE_BLOCK KVDIR kelvo.prf ../share/kelvo; do
    grep -qF -- "$word" <<<"$manual" || fail "the manual page does not mention $word"
done
for status in $(sed -n 's/^  \([0-9]\)  .*/\1/p' <<<"$help"); do
    grep -qE "^ +$status +[A-Z]" <<<"$manual" || fail "the manual page does not give exit status $status"
done

[ ! -e "$BLOCK" ] || fail "the shared block was created"

for other in --helpx -h ./--help; do
    if out=$(run "$other"); then
        fail "kelvo $other started without a display"
    fi
    grep -q "Usage" <<<"$out" && fail "kelvo $other printed the usage"
done

[ "$failures" -eq 0 ] && echo "ok: --help and --version" || exit 1
