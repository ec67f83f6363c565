#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the messenger need.
# Used by both README commands and by CI; does nothing when everything is installed already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev fonts-dejavu-core
  libpugixml-dev libcurl4-openssl-dev libssl-dev ca-certificates
  libgtest-dev libgmock-dev libbenchmark-dev
  dante-server tinyproxy xvfb xdotool python3
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
