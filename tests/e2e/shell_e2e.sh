#!/usr/bin/env bash
# The real program under X: start-up log, window, main menu, console keys,
# pause, Escape, quit, Alt+F4, full screen, and a start without a display.
# usage: shell_e2e.sh path/to/giftguard path/to/data   (needs DISPLAY, xdotool, ImageMagick)
bin=$1 data=$2
source "$(dirname "$0")/lib.sh"

start
check "the window is titled 'opengl progam'" test -n "$window"
check "the client area is 1024x768 (got $(size))" test "$(size)" = 1024x768
for line in "winmain start" "module load" "module init" "winamin loop"; do
  check "start-up logs '$line'" logged "$line"
done
if grep -qE '^turn (on|off) vsync$' "$work/data/log.txt"; then
  check "the swap interval is logged after vsync" grep -qE '^wglGetSwapIntervalEXT\(\)=-?[0-9]+$' "$work/data/log.txt"
fi
check "the selected entry is red" menuShown
check "the other entries are white" above "$(share "$work/menu.png" 250x40+45+118 "$white")" 0.05

key grave
entered 'print e2e'
check "Enter runs the line" logged "e2e "
key Up Return
check "Up recalls the line" test "$(grep -cxF 'e2e ' "$work/data/log.txt")" = 2
typed 'se'
key Tab
entered '\$z 5'
entered 'add 1 \$z'
check "Tab completes 'se' to 'set '" logged 'set \$z 5'
check "the console computes" logged "6.00"
check "the open console covers the top half" shows console 1024x300+0+50 'b>0.25&&b<0.35&&r<0.15' 0.5
key grave grave

key space
check "Space shows PAUSE" shows pause 300x70+362+0 'r>0.4' 0.02
key space
check "Space again hides PAUSE" test "$(shot running && share "$work/running.png" 300x70+362+0 'r>0.4')" = 0
key Escape
console quit
endsWith "quit" 0
check "'exit' is the last log line" test "$(tail -n 1 "$work/data/log.txt")" = exit
check "the trace opens WinMain and the context" grep -qxF '=> WinMain => EnableOpenGL ' "$work/proof.txt"
check "Escape asked for the main menu" grep -qxF '=> WinMain => WndProc => ModMainMenu::I() ' "$work/proof.txt"
check "the trace ends back in WinMain" test "$(grep -v '^$' "$work/proof.txt" | tail -n 1)" = "=> WinMain "

start
key alt+F4
endsWith "Alt+F4 closes the window and" 0

# Full screen at the screen's size starts; at a size no mode offers it is the box "cannot set
# fullscreen", exit code 0, and no window at all.
fullAt() {
  printf 'fast %s full\n' "$fullSize" >"$work/data/conf.txt"
  printf 'fullscreen 1\n' >"$work/data/defvar.txt"
}
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
fullSize=${screen/x/ } prepare=fullAt start
check "full screen at the screen's size starts" test -n "$window"
check "and fills the screen, $screen" test "$(size)" = "$screen"
closed

fullSize="999 555" prepare=fullAt launch
boxClosed
endsWith "full screen without a 999x555 mode" 0
check "and says 'cannot set fullscreen' under the title 'error'" grep -qxF "error: cannot set fullscreen" "$work/err.txt"
check "before any module or frame" test -z "$(grep -xE 'module load|winamin loop' "$work/data/log.txt")"

(cd "$work" && DISPLAY= exec "$bin" >"$work/out.txt" 2>"$work/err.txt")
status=$?
check "without a display the exit code is not 0" test "$status" != 0
check "without a display one line says why" test "$(grep -c . "$work/err.txt")" = 1
pid=
finish
