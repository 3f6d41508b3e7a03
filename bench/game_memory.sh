#!/usr/bin/env bash
# Resident memory of the real program ten seconds into a survival game, beside
# the bare SDL 2 window of bare_window.cpp, in one run.
# usage: DISPLAY=:N bench/game_memory.sh [build]   (Xvfb, xdotool)
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d /tmp/giftguard-memory-XXXXXX)
trap 'kill $game $bare 2>/dev/null; rm -rf "$work"' EXIT
cp -r data "$work/data"
rm -f "$work/data/toplist.dat"
memory() { awk '/^VmRSS|^VmHWM/ { printf "%s %.1f MiB  ", $1, $2 / 1024 }' "/proc/$1/status"; echo; }

(cd "$work" && exec "$build/giftguard" >/dev/null 2>&1) &
game=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^opengl progam$' | head -1)
sleep 1
echo "giftguard, main menu:      $(memory $game)"
xdotool key --window "$window" Return
sleep 12
echo "giftguard, survival game:  $(memory $game)"
kill $game

(cd "$work" && exec "$build/bench/bare_window" >/dev/null 2>&1) &
bare=$!
sleep 3
echo "bare SDL 2 window:         $(memory $bare)"
