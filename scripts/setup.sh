#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Safe to run again: it only installs what is missing.
set -euo pipefail
pkgs=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libicu-dev libjpeg62-turbo-dev libgif-dev libarchive-dev liblhasa-dev
  zlib1g-dev libbz2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  fonts-noto-cjk xdg-utils xvfb xauth qt6-translations-l10n libqt6svg6 adwaita-icon-theme
  xdotool python3-pyatspi at-spi2-core dbus dbus-x11 x11-utils openbox poppler-utils
  nkf
  libarchive-tools lhasa arj cabextract gcab unzip
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
