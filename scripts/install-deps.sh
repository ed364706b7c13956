#!/bin/sh
# Installs every Debian package Marlune needs to build, run, test and benchmark.
set -eu
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
PACKAGES="
    cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libsox-dev libmp3lame-dev libtag1-dev
    libgtest-dev libgmock-dev
    ffmpeg lame dbus xdg-utils
    hyperfine time
"
# Skip apt entirely when everything is already there (fast repeat runs).
missing=
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
