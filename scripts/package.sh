#!/usr/bin/env bash
# Builds zelko in Release and makes its Debian package (out/zelko_VERSION_ARCH.deb),
# installing into /usr with the library dependencies dpkg-shlibdeps finds.
#   scripts/package.sh            then: apt-get install ./out/zelko_*.deb
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
build="$here/build/package"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DZELKO_BUILD_TESTS=OFF -DZELKO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
mkdir -p "$here/out"
for deb in "$build"/zelko_*.deb; do
  cp "$deb" "$here/out/"
  echo "package: $here/out/$(basename "$deb")"
done
