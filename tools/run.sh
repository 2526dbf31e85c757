#!/usr/bin/env bash
# Builds Kelvo and starts it on the file named (and any further options, such as
# /pDIRECTORY), or on the shipped example netlist.
set -euo pipefail
args=("$@")
# A file named relative to where the command was typed stays so after the cd below.
if ((${#args[@]} > 0)) && [[ "${args[0]}" != /* ]]; then
    args[0]="$PWD/${args[0]}"
fi
cd "$(dirname "$0")/.."

tools/setup-deps.sh >&2

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >&2

if ((${#args[@]} == 0)); then
    args=("$PWD/examples/amp.cir")
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display: starting Kelvo on a virtual one (xvfb-run)." >&2
    exec xvfb-run -a build/app/kelvo "${args[@]}"
fi
exec build/app/kelvo "${args[@]}"
