#!/usr/bin/env bash
# Sets up (first time), builds zelko in Release incrementally, then runs it with the given arguments.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh"
build="$here/build/release"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZELKO_BUILD_TESTS=OFF -DZELKO_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" --target zelko >/dev/null
exec "$build/cli/zelko" "$@"
