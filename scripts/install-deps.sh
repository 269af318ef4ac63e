#!/usr/bin/env bash
# Installs the Debian packages Tarvelo needs to build, run and test, and to
# build and check its Debian package.
# Safe to run again: only missing packages are installed.
set -euo pipefail

PACKAGES=(
  cmake g++ make
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libsqlite3-dev
  xvfb xauth poppler-utils fonts-liberation2 libbenchmark-dev
  postgresql
  dpkg-dev desktop-file-utils appstream lintian man-db python3
  libical-dev python3-icalendar
  dbus-daemon at-spi2-core python3-pyatspi xdotool qt6-base-private-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run this command as root to install them." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
