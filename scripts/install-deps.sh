#!/usr/bin/env bash
# Installs the Debian packages Kestrune needs to build, run and test.
# Idempotent: when everything is already installed it only checks and returns.
set -euo pipefail

packages=(
    # build
    cmake
    ninja-build
    g++
    pkg-config
    # the disc reading library
    libcdio-dev
    libcdio-paranoia-dev
    libcue-dev
    # the MP3 encoder (loaded at run time; the header gives its types)
    libmp3lame0
    libmp3lame-dev
    # kestrune-rip's names and tags: disc ids, the online lookups (HTTP and
    # JSON and XML), ID3v2 tags
    libdiscid-dev
    libcurl4-openssl-dev
    libssl-dev
    nlohmann-json3-dev
    libexpat1-dev
    libtag1-dev
    # the loudness meter the tests check ours against
    libebur128-dev
    # the desktop program
    qt6-base-dev
    # "Times New Roman" of the progress bar's number, metric-compatible
    fonts-liberation2
    # the window's "MS Sans Serif" as a plain sans, and its "Terminal" as a
    # bold monospaced screen font
    fonts-dejavu-core
    fonts-terminus
    # tests (clang and its runtimes build the fuzz targets)
    clang
    libclang-rt-14-dev
    libgtest-dev
    libbenchmark-dev
    libmpg123-dev
    # reading tags back in tests with a reader that is not ours
    python3-mutagen
    # the loopback web services the online lookups are tested against
    python3
    xvfb
    xauth
    # the real-desktop tray test: a window manager, a panel with a system tray,
    # and the tools that drive and inspect them
    openbox
    tint2
    xdotool
    x11-utils
    # pictures of the window, and reading its pixels
    imagemagick
    # the Debian package: its shared-library dependencies, and the checks of
    # the package, its desktop entry and its software-centre description
    dpkg-dev
    file
    lintian
    desktop-file-utils
    appstream
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages are installed"
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
