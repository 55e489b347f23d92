#!/usr/bin/env bash
# Sets up (first time), builds zelko in Release incrementally, then runs it with the given
# arguments. Without arguments it opens the editor on the demo board when there is a display,
# and otherwise exports the demo board (Gerber files, a picture and films) to ./out.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh"
build="$here/build/release"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZELKO_BUILD_TESTS=OFF -DZELKO_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" --target zelko >/dev/null
zelko="$build/cli/zelko"
if [ $# -gt 0 ]; then
  exec "$zelko" "$@"
fi
demo="$here/examples/demo.vbf"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$zelko" "$demo"
fi
echo "zelko: no display to open the editor on; exporting the demo board instead"
out="$here/out"
mkdir -p "$out"
echo "zelko: exporting the demo board $demo to $out"
"$zelko" export gerber "$demo" -o "$out/gerber"
"$zelko" export bitmap "$demo" -o "$out/demo.png" --ppi 254 --antialias
# Films for home etching, laid printed side down on the copper. The board is drawn
# seen from the component side, so the component-side film is mirrored and the
# solder-side film is not.
"$zelko" export bitmap "$demo" -o "$out/film-component.png" --ppi 600 --mono --mirror --layers component,hole
"$zelko" export bitmap "$demo" -o "$out/film-solder.png" --ppi 600 --mono --layers solder,hole
echo "zelko: done; see zelko --help for the other commands"
