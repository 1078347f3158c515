#!/usr/bin/env bash
# Installs with apt-get the Debian packages Vek needs, only those missing.
set -euo pipefail
PKGS=(g++ cmake make qt6-base-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libgeotiff-dev libgtest-dev fonts-dejavu-core fonts-liberation libfontconfig-dev libgl-dev qt6-translations-l10n locales clang-format clang libclang-rt-dev)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
