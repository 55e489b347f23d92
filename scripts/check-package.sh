#!/usr/bin/env bash
# Installs the Debian package from scripts/package.sh into a fresh, minimal Debian 12
# system made with debootstrap (root, and the Debian archive reachable), and runs it there
# as a desktop would: opens a board given by path, offscreen, and saves a picture of the
# window. Proves the package declares everything it needs.
#   scripts/check-package.sh [ROOT]        (default /tmp/zelko-deb12; reused when present)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
root=${1:-/tmp/zelko-deb12}
deb=$(ls "$here"/out/zelko_*.deb | tail -1)
command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap </dev/null
if [ ! -x "$root/usr/bin/apt-get" ]; then
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  debootstrap --variant=minbase bookworm "$root" ${mirror:+"$mirror"}
fi
mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
trap 'umount "$root/proc" 2>/dev/null || true' EXIT
cp "$deb" "$root/tmp/"
chroot "$root" apt-get update -qq
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" </dev/null >/dev/null
mkdir -p "$root/home/user/Boards"
cp "$here/examples/demo.vbf" "$root/home/user/Boards/my board.vbf"
chroot "$root" env HOME=/home/user QT_QPA_PLATFORM=offscreen zelko paths
chroot "$root" env HOME=/home/user QT_QPA_PLATFORM=offscreen \
  zelko --screenshot /tmp/installed.png "/home/user/Boards/my board.vbf"
cp "$root/tmp/installed.png" "$here/out/installed.png"
test -s "$root/home/user/.config/zelko/zelko.ini"
echo "check-package: installed and ran in $root; picture in out/installed.png"
