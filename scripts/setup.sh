#!/usr/bin/env bash
# Installs every Debian package zelko needs to build, test and run.
# Idempotent: quiet when everything is present; refreshes the package index only
# when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  libgl-dev
  libpolyclipping-dev libboost-dev libcli11-dev libjemalloc-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-dejavu-core fontconfig
  gerbv librsvg2-bin poppler-utils libzip-dev
  xvfb xauth
  desktop-file-utils appstream shared-mime-info dpkg-dev fakeroot
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  inkscape
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq </dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
