#!/usr/bin/env bash
# Installs Kelvo with DESTDIR and reads its desktop data as the desktop's own tools do: the
# desktop entry, the AppStream entry, the MIME type, the manual pages and the changelog pass
# their validators without a warning, and once the scratch MIME and desktop databases are
# built, a netlist is text/x-spice and opens in Kelvo while a simulation's output stays
# plain text. The changelog's last entry and the manual page name the project's version.
#   installed_data.sh BUILD VERSION
set -uo pipefail
BUILD=$(realpath "$1")
VERSION="$2"
source "$(dirname "$(realpath "$0")")/install_lib.sh"

stage /usr
share="$STAGE/share"

# Hints (such as TextEditor also fitting Utility, which would list Kelvo twice in a menu) are
# advice; errors and warnings are faults.
desktop_valid() {
    local said
    said=$(desktop-file-validate "$1" 2>&1) || { echo "$said"; return 1; }
    echo "$said" | grep -v ': hint: ' | grep . && return 1
    return 0
}
check "desktop-file-validate passes the desktop entry" \
    desktop_valid "$share/applications/org.kelvo.Kelvo.desktop"
check "the desktop entry starts kelvo on the file" \
    grep -qx 'Exec=kelvo %f' "$share/applications/org.kelvo.Kelvo.desktop"

# --strict fails on anything above the pedantic remarks (the id's capitals are one).
check "appstreamcli validates the AppStream entry" \
    appstreamcli validate --no-net --strict "$share/metainfo/org.kelvo.Kelvo.metainfo.xml"
check "the AppStream entry's release is $VERSION" \
    grep -q "<release version=\"$VERSION\"" "$share/metainfo/org.kelvo.Kelvo.metainfo.xml"

mime="$share/mime/packages/org.kelvo.Kelvo.xml"
schema=$(find /usr/share/xml /usr/share/mime \( -name 'shared-mime-info*.xsd' -o \
    -name 'shared-mime-info*.rng' \) 2>/dev/null | head -n 1)
if [ -n "$schema" ]; then
    [[ "$schema" == *.xsd ]] && against=(--schema "$schema") || against=(--relaxng "$schema")
    check "the MIME type is valid against $schema" xmllint --noout "${against[@]}" "$mime"
else
    check "the MIME type is well-formed XML" xmllint --noout "$mime"
fi

# Silent man: troff and man's own warnings both go to stderr.
man_silent() {
    local said
    said=$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
    [ -z "$said" ] || { echo "$said"; return 1; }
}
for page in kelvo kelvo-suite; do
    check "man renders $page(1) without a warning" man_silent "$share/man/man1/$page.1.gz"
done
check "kelvo(1) names the version $VERSION" \
    bash -c 'zcat "$1" | grep -m1 "^\.TH" | grep -qF "$2"' - "$share/man/man1/kelvo.1.gz" \
    "Kelvo $VERSION"

zcat "$share/doc/kelvo/changelog.gz" >"$SCRATCH/changelog" 2>/dev/null
check "the changelog's last entry is version $VERSION" \
    test "$(dpkg-parsechangelog -l "$SCRATCH/changelog" -S Version 2>/dev/null)" = "$VERSION"

# The databases a package's triggers build, built here for the scratch folder alone, which
# the desktop's tools then read before the system's own.
export XDG_DATA_HOME="$SCRATCH/home" XDG_DATA_DIRS="$share:/usr/share"
export XDG_CONFIG_HOME="$SCRATCH/config" XDG_CONFIG_DIRS="$SCRATCH/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$SCRATCH/files"
said=$(update-mime-database "$share/mime" 2>&1)
check "update-mime-database reads the MIME type without a word" test -z "$said"
[ -z "$said" ] || echo "$said"
check "update-desktop-database reads the desktop entry" \
    update-desktop-database "$share/applications"
while read -r name type; do
    printf '* a circuit\r\nR1 1 0 1k\r\n.end\r\n' >"$SCRATCH/files/$name"
    found=$(gio info -a standard::content-type "$SCRATCH/files/$name" 2>/dev/null |
        sed -n 's/^ *standard::content-type: //p')
    check "$name is $type (gio says ${found:-nothing})" test "$found" = "$type"
done <<'LIST'
amp.cir text/x-spice
AMP.CIR text/x-spice
amp.ckt text/x-spice
amp.sp text/x-spice
amp.spi text/x-spice
amp.spice text/x-spice
amp.out text/plain
amp.err text/plain
LIST
check "a netlist opens in Kelvo" \
    test "$(xdg-mime query default text/x-spice 2>/dev/null)" = "org.kelvo.Kelvo.desktop"
finish
