#!/usr/bin/env bash
# The editor on the demo board under a virtual X server of 1280 x 800 (or SIZE),
# photographed into docs/screenshot.png (or the file given).
#   scripts/screenshot.sh [OUT.png]          SCALE=2 scripts/screenshot.sh /tmp/hidpi.png
#   SIZE=1920x1080 scripts/screenshot.sh docs/screenshot-1920.png
#   ZELKO_LANG=en scripts/screenshot.sh docs/screenshot-en.png   (Japanese unless told)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
scale=${SCALE:-1}
size=${SIZE:-1280x800}
width=${size%x*}
height=${size#*x}

scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2 --target zelko-editor zelko_grab

# A folder of its own for the editor, so its settings file (placed to fill the
# screen) is not the one of the build tree.
tmp=$(mktemp -d)
xvfb=""
editor=""
cleanup() {
  [ -n "$editor" ] && kill "$editor" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
cp build/release/app/zelko-editor "$tmp/"
cat > "$tmp/zelko.ini" <<INI
[VemoForm]
Left=0
Top=0
Width=$width
Height=$height
WindowState=0
INI

n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "$((width * scale))x$((height * scale))x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

export DISPLAY=":$n" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" ZELKO_LANG="${ZELKO_LANG:-ja}"
"$tmp/zelko-editor" examples/demo.vbf &
editor=$!
sleep 3
mkdir -p "$(dirname "$out")"
QT_SCALE_FACTOR=1 build/release/app/zelko_grab "$out" $((width * 19 / 32 * scale)) $((height * 43 / 80 * scale))
echo "screenshot: $out"
