#!/usr/bin/env bash
# Builds Kelvo and starts it on the file named, or on the shipped example netlist.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup-deps.sh >&2

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >&2

file="${1:-examples/amp.cir}"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display: starting Kelvo on a virtual one (xvfb-run)." >&2
    exec xvfb-run -a build/app/kelvo "$file"
fi
exec build/app/kelvo "$file"
