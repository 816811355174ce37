#!/usr/bin/env bash
# Installs what building and running need on Debian 12, and with --tests what the test suites
# need as well (a PostgreSQL server among them); quick when all is present.
set -euo pipefail

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6printsupport6 libgl-dev
    libsqlite3-dev
    pkg-config libfreexl-dev libminizip-dev
    mdbtools-dev
    fonts-noto-cjk qt6-translations-l10n
    xvfb xauth
    dpkg-dev file
    libpq-dev
)
if [ "${1:-}" = --tests ]; then
    # Spreadsheet and PDF checks, the throw-away database server, the desktop files' validators.
    packages+=(python3-xlrd poppler-utils postgresql desktop-file-utils appstream mdbtools)
fi
if [ "${QUILLON_BENCH:-0}" = 1 ]; then
    packages+=(libbenchmark-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
