#!/usr/bin/env bash
# Installs Kelvo under a prefix of its own with DESTDIR and expects exactly the files of
# expected_files.txt: the programs, runnable and tied to no folder of the build, and the icon
# at the size its folder names.
#   installed_files.sh BUILD
set -uo pipefail
BUILD=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/install_lib.sh"

stage /opt/kelvo
files_below "$STAGE" >"$SCRATCH/found"
expected_files >"$SCRATCH/expected"
if diff -u "$SCRATCH/expected" "$SCRATCH/found" >"$SCRATCH/diff"; then
    echo "ok: the install holds exactly the expected files"
else
    cat "$SCRATCH/diff"
    fail "the install holds other files than expected_files.txt (- missing, + not expected)"
fi

for program in kelvo kelvo-suite; do
    check "bin/$program is a program" test -x "$STAGE/bin/$program"
    # A run path into the build would let the installed program load the build's libraries.
    check "bin/$program names no folder of the build" \
        bash -c '! readelf -d "$1" 2>/dev/null | grep -E "R(UN)?PATH" | grep -qF "$2"' \
        - "$STAGE/bin/$program" "$BUILD"
done

for size in 16 32 48 64 128 256; do
    png="$STAGE/share/icons/hicolor/${size}x${size}/apps/org.kelvo.Kelvo.png"
    check "the ${size}x${size} icon is a PNG of that size" \
        test "$(identify -format '%m %wx%h' "$png" 2>/dev/null)" = "PNG ${size}x${size}"
done
check "the scalable icon is well-formed SVG" \
    xmllint --noout "$STAGE/share/icons/hicolor/scalable/apps/org.kelvo.Kelvo.svg"
finish
