#!/usr/bin/env bash
# The real program under X: start-up log, window, main menu, console keys,
# pause, Escape, quit, Alt+F4, and a start without a display.
# usage: shell_e2e.sh path/to/giftguard path/to/data   (needs DISPLAY, xdotool, ImageMagick)
set -uo pipefail
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (tools/test.sh starts one)"; exit 1; }
bin=$1
data=$2
work=$(mktemp -d /tmp/giftguard-e2e-XXXXXX)
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
failures=0
passes=0

check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $what"
  fi
}
logged() { grep -qxF -- "$1" "$work/data/log.txt"; }
# Fraction of the region's pixels that pass an fx test (ImageMagick), as a number 0..1.
share() { convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:mean]' info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
key() { xdotool key --window "$window" "$@" 2>/dev/null; sleep 0.3; }
typed() { xdotool type --window "$window" --delay 20 "$1"; sleep 0.2; }

start() {
  rm -rf "$work/data" "$work/proof.txt"
  cp -r "$data" "$work/data"
  (cd "$work" && exec "$bin" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^opengl progam$' 2>/dev/null | head -1)
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.5
}

# Waits at most 20 s for the program to end; its exit status, or 124 when it did not end.
ended() {
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  kill "$pid"
  return 124
}

start
check "the window is titled 'opengl progam'" test -n "$window"
geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
check "the client area is 1024x768 (got $geometry)" test "$geometry" = 1024x768
for line in "winmain start" "module load" "module init" "winamin loop"; do
  check "start-up logs '$line'" logged "$line"
done
if grep -qE '^turn (on|off) vsync$' "$work/data/log.txt"; then
  check "the swap interval is logged after vsync" grep -qE '^wglGetSwapIntervalEXT\(\)=-?[0-9]+$' "$work/data/log.txt"
fi

import -window "$window" "$work/menu.png"
check "the selected entry is red" above "$(share "$work/menu.png" 250x40+45+78 'r>0.8&&g<0.2&&b<0.2')" 0.05
check "the other entries are white" above "$(share "$work/menu.png" 250x40+45+118 'r>0.8&&g>0.8&&b>0.8')" 0.05

key grave
typed 'print e2e'
key Return
check "Enter runs the line" logged "e2e "
key Up
key Return
check "Up recalls the line" test "$(grep -cxF 'e2e ' "$work/data/log.txt")" = 2
typed 'se'
key Tab
typed '\$z 5'
key Return
typed 'add 1 \$z'
key Return
check "Tab completes 'se' to 'set '" logged 'set \$z 5'
check "the console computes" logged "6.00"
import -window "$window" "$work/console.png"
check "the open console covers the top half" above "$(share "$work/console.png" 1024x300+0+50 'b>0.25&&b<0.35&&r<0.15')" 0.5
key grave
key grave

key space
import -window "$window" "$work/pause.png"
check "Space shows PAUSE" above "$(share "$work/pause.png" 300x70+362+0 'r>0.4')" 0.02
key space
import -window "$window" "$work/running.png"
check "Space again hides PAUSE" test "$(share "$work/running.png" 300x70+362+0 'r>0.4')" = 0

key Escape

key grave
typed 'quit'
key Return
ended
status=$?
check "quit ends with exit code 0 (got $status)" test "$status" = 0
check "'exit' is the last log line" test "$(tail -n 1 "$work/data/log.txt")" = exit
check "the trace opens WinMain and the context" grep -qxF '=> WinMain => EnableOpenGL ' "$work/proof.txt"
check "Escape asked for the main menu" grep -qxF '=> WinMain => WndProc => ModMainMenu::I() ' "$work/proof.txt"
check "the trace ends back in WinMain" test "$(grep -v '^$' "$work/proof.txt" | tail -n 1)" = "=> WinMain "

start
key alt+F4
ended
status=$?
check "Alt+F4 closes the window with exit code 0 (got $status)" test "$status" = 0

(cd "$work" && DISPLAY= exec "$bin" >"$work/out.txt" 2>"$work/err.txt")
status=$?
check "without a display the exit code is not 0" test "$status" != 0
check "without a display one line says why" test "$(grep -c . "$work/err.txt")" = 1
pid=

echo "$passes passed, $failures failed"
test "$failures" = 0
