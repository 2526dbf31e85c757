# Shared by the install tests: installs the built Kelvo into a scratch folder of its own with
# DESTDIR, as a user's `cmake --install` or the package would, and collects failed checks, so
# that one run reports every fault it finds. Source it after setting BUILD (the build tree).

# The checks, the scratch folder and its removal are the end-to-end tests' own.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e_lib.sh"
SCRATCH="$E2E_DIR/install"
mkdir -p "$SCRATCH"

# stage PREFIX: installs under $SCRATCH/root with that prefix; STAGE is the prefix's folder
# there.
stage() {
    STAGE="$SCRATCH/root$1"
    if ! DESTDIR="$SCRATCH/root" cmake --install "$BUILD" --prefix "$1" >"$SCRATCH/install.log" 2>&1
    then
        cat "$SCRATCH/install.log"
        fail "cmake --install with the prefix $1"
    fi
}

# The files and links below a folder, one a line, relative to it, sorted.
files_below() {
    (cd "$1" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
}

# The paths a Kelvo install holds below its prefix, from expected_files.txt.
expected_files() {
    grep -v '^#' "$(dirname "${BASH_SOURCE[0]}")/expected_files.txt" | grep . | LC_ALL=C sort
}
