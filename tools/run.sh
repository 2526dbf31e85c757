#!/usr/bin/env bash
# Builds Kelvo and starts it on the file named (and any further options, such as
# /pDIRECTORY), or on the shipped example netlist. A netlist (.cir) gets the suite's side
# too, watching it beside the editor, so that Actions > Simulate runs ngspice at once; it
# ends when the editor ends.
set -euo pipefail
args=("$@")
# A file named relative to where the command was typed stays so after the cd below.
if ((${#args[@]} > 0)) && [[ "${args[0]}" != /* ]]; then
    args[0]="$PWD/${args[0]}"
fi
cd "$(dirname "$0")/.."
# KELVO_BUILD_DIR names another build folder; KELVO_RUN_BUILT=1 starts what it holds as it is.
build=${KELVO_BUILD_DIR:-build}

if [[ -z "${KELVO_RUN_BUILT:-}" ]]; then
    tools/setup-deps.sh >&2
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j "$(nproc)" >&2
fi

if ((${#args[@]} == 0)); then
    args=("$PWD/examples/amp.cir")
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display: starting Kelvo on a virtual one (xvfb-run)." >&2
    exec env KELVO_RUN_BUILT=1 xvfb-run -a "$PWD/tools/run.sh" "${args[@]}"
fi

circuit=""
shopt -s nocasematch
if [[ "${args[0]}" == *.cir && -f "${args[0]}" ]]; then
    circuit=${args[0]}
fi
shopt -u nocasematch
if [[ -z "$circuit" ]]; then
    exec "$build/app/kelvo" "${args[@]}"
fi

# Started in the background, neither sees the terminal's Ctrl+C: it is passed on as the
# request to end, which the editor answers as File > Exit does.
editor="" watch=""
pass_on() {
    for pid in $editor $watch; do
        kill -TERM "$pid" 2>/dev/null || true
    done
}
trap pass_on INT TERM
# The status of a process, however often a signal interrupts the wait for it.
wait_for() {
    local status=0
    while :; do
        status=0
        wait "$1" || status=$?
        kill -0 "$1" 2>/dev/null || return "$status"
    done
}
"$build/app/kelvo" "${args[@]}" &
editor=$!
# The suite's side comes once this editor holds the block (or has handed the file to one
# that did), so that it serves this editor instead of starting one of its own.
for _ in $(seq 1 600); do
    kill -0 "$editor" 2>/dev/null || break
    "$build/tools/kelvo-suite" show 2>/dev/null | grep -qx "editorPid $editor" && break
    sleep 0.05
done
"$build/tools/kelvo-suite" watch "$circuit" >&2 &
watch=$!
status=0
wait_for "$editor" || status=$?
# An editor that was already running took the file and this start ended at once: the
# suite's side serves that one, and ends with it.
wait_for "$watch" || true
exit "$status"
