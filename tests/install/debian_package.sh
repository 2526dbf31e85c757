#!/usr/bin/env bash
# Builds the Debian package with CPack from the build tree into a scratch folder and reads it
# back: its name, that it holds exactly the files of an install with the prefix /usr, owned by
# root with the modes Debian wants, and its control fields: the libraries dpkg-shlibdeps found
# (Qt 6 among them), the recommended simulator, the section.
#   debian_package.sh BUILD VERSION
set -uo pipefail
BUILD=$(realpath "$1")
VERSION="$2"
source "$(dirname "$(realpath "$0")")/install_lib.sh"

deb="$SCRATCH/kelvo_${VERSION}_$(dpkg --print-architecture).deb"
if ! cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$SCRATCH" >"$SCRATCH/cpack.log" 2>&1; then
    cat "$SCRATCH/cpack.log"
    fail "cpack builds the package"
fi
if [ ! -f "$deb" ]; then
    ls "$SCRATCH"
    fail "the package is named $(basename "$deb")"
    finish
fi

# Each row of `dpkg-deb -c`: mode, owner, size, date, time, path.
dpkg-deb -c "$deb" >"$SCRATCH/contents"
awk '$1 !~ /^d/ { sub("^\\./usr/", "", $6); print $6 }' "$SCRATCH/contents" | LC_ALL=C sort \
    >"$SCRATCH/packaged"
stage /usr
files_below "$STAGE" >"$SCRATCH/installed"
if diff -u "$SCRATCH/installed" "$SCRATCH/packaged" >"$SCRATCH/diff"; then
    echo "ok: the package holds the files of the install"
else
    cat "$SCRATCH/diff"
    fail "the package holds other files than the install (- only installed, + only packaged)"
fi
check "every path is below /usr" bash -c '! awk "{ print \$6 }" "$1" | grep -v "^\./usr/"' \
    - "$SCRATCH/contents"
check "root owns every file" bash -c '! awk "\$2 != \"root/root\"" "$1" | grep .' \
    - "$SCRATCH/contents"
check "programs and folders are 0755, the rest 0644" bash -c '! awk "
    \$6 ~ /^\.\/usr\/bin\/./ || \$1 ~ /^d/ { if (\$1 !~ /^.rwxr-xr-x$/) print; next }
    \$1 != \"-rw-r--r--\"" "$1" | grep .' - "$SCRATCH/contents"

field() {
    dpkg-deb -f "$deb" "$1" 2>/dev/null
}
while IFS='|' read -r name pattern; do
    value=$(field "$name" | head -n 1)
    check "$name matches '$pattern' (it is '$value')" \
        bash -c '[[ "$1" =~ $2 ]]' - "$value" "$pattern"
done <<LIST
Package|^kelvo$
Version|^${VERSION//./\\.}$
Architecture|^$(dpkg --print-architecture)$
Section|^electronics$
Priority|^optional$
Maintainer|^Kelvo developers <[^ >]+@[^ >]+>$
Homepage|^https://
Depends|libqt6widgets6
Depends|libqt6printsupport6
Depends|libqt6svg6
Depends|libc6 \(>=
Recommends|^ngspice, gnuplot-x11 \| gnuplot$
Description|^editor for SPICE circuit netlists
LIST
finish
