#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Kelvo need, but only
# those that are missing, so that a machine that has them is left alone.
set -euo pipefail

packages=(
    cmake ninja-build g++            # the build
    qt6-base-dev qt6-base-dev-tools  # Qt Core, Gui, Widgets, PrintSupport and Test
    libqt6svg6                       # the toolbar icons are SVG
    fonts-dejavu-core                # DejaVu Sans and Sans Mono, the faces the tests name
    xvfb xauth x11-utils xdotool     # the editor on a virtual display; xwininfo finds its window,
                                     # xdotool drives it as a user would
    xclip                            # another program on the clipboard
    libxdamage-dev libxtst-dev       # kelvo_launch_bench sees each paint and types keys,
    vim                              # and times vim on the same file
    imagemagick                      # import, compare and convert: screenshots of that display
                                     # and the ink on them
    poppler-utils                    # pdftotext, to read printed pages back
    ngspice                          # the simulator kelvo-suite runs for Actions > Simulate
    gnuplot-x11                      # draws the last run's waveforms for Actions > Scope
    dpkg-dev                         # dpkg-shlibdeps, for the Debian package's Depends
    desktop-file-utils appstream     # the install's tests: validators of the desktop entry
    libxml2-utils man-db             # and the AppStream entry, xmllint, man,
    shared-mime-info xdg-utils       # the MIME database and its queries, gio to launch the
    libglib2.0-bin                   # desktop entry
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
