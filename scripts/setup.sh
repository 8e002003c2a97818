#!/bin/sh
# Installs every Debian package that building, testing, running and
# benchmarking KARWEN needs. Safe to run again; run as root (or with sudo).
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev
  libexiv2-dev exiv2
  clang libclang-rt-14-dev clang-format-14
  xvfb xauth imagemagick desktop-file-utils openbox xdotool
  fonts-ipafont-gothic
"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
