#!/bin/sh
# Copy in one editor process, paste in another, through the clipboard of a
# virtual X server of our own (CI has no display).
#   clipboard_peers.sh PEER BOARD WORKDIR
set -eu
peer=$1
board=$2
dir=$3
rm -rf "$dir"
mkdir -p "$dir"
export QT_QPA_PLATFORM=xcb
# The X libraries keep caches to the end; only our own code is under test here.
export ASAN_OPTIONS=detect_leaks=0
exec timeout -k 5 150 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
  peer=$1; board=$2; dir=$3
  "$peer" copy "$board" "$dir" >"$dir/copy.log" 2>&1 &
  copier=$!
  n=0
  until [ -f "$dir/copied" ]; do
    if ! kill -0 "$copier" 2>/dev/null; then echo "the copying editor ended early:"; cat "$dir/copy.log"; exit 1; fi
    n=$((n + 1))
    if [ "$n" -gt 600 ]; then echo "the copying editor never copied:"; cat "$dir/copy.log"; kill "$copier"; exit 1; fi
    sleep 0.1
  done
  status=0
  "$peer" paste "$dir" >"$dir/paste.log" 2>&1 || status=$?
  touch "$dir/quit"
  wait "$copier" || status=1
  cat "$dir/copy.log" "$dir/paste.log"
  exit "$status"
' sh "$peer" "$board" "$dir"
