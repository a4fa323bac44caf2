#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the programs need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    clang libclang-rt-dev            # libFuzzer and the sanitizers' runtime for clang builds
    clang-format                     # the format check of .ci/run
    libjpeg62-turbo-dev libjpeg-turbo-progs
    libgif-dev libpng-dev libtiff-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev                     # Qt 6 Core, Widgets and Print Support for the desktop programs
    qt6-translations-l10n            # Qt's own dialogs and buttons in Japanese
    qt6-svg-dev                      # the launcher's artwork, drawn as SVG
    libsane-dev sane-utils           # the scanner front-end's SANE path and its test device
    libcli11-dev                     # the command-line tools' option tables
    desktop-file-utils               # checks the installed desktop entries
    xdg-utils                        # xdg-open: the launcher opens the manual and templates with it
    poppler-utils imagemagick        # pdfimages and convert for PDF pages
    fonts-noto-cjk                   # Japanese texts on screen
    fonts-dejavu-core                # Latin text of the analysis PDFs (its text stays extractable)
    libxlsxwriter-dev                # .xlsx workbooks of the read values, scores and analysis
    xvfb xauth x11-utils xdotool     # the desktop programs' start-up and keyboard checks in CI
    time                             # /usr/bin/time for the benchmark's memory figure
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get install -y --no-install-recommends "${missing[@]}"; then
    $SUDO apt-get update
    $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
