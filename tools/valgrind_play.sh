#!/usr/bin/env bash
# A minute of play of the real program under valgrind's memcheck, driven with
# real X input: the menu, a survival game swept with clicks, console commands,
# a loss, the name prompt and the top list, the arcade's first story page,
# Escape, and `quit`. Fails on any memcheck error (invalid read or write, use of
# an undefined value, bad free) and on any definitely or indirectly lost block
# that tools/valgrind.supp does not suppress; that file names only what the
# system's libraries (loader, Mesa, fontconfig, D-Bus) own. Possibly lost blocks
# are counted in the summary but do not fail the run.
# usage: tools/valgrind_play.sh [build]   (valgrind, xdotool; uses DISPLAY, or starts Xvfb)
#   GIFTGUARD_VALGRIND_ARGS  more memcheck options, e.g. --gen-suppressions=all
#   GIFTGUARD_E2E_KEEP=1     keeps the working folder (the memcheck log, data/log.txt)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
bin=$build/giftguard
seconds=60   # of play, counted from the first frame
[ -x "$bin" ] || { echo "no program at $bin (build it first)"; exit 2; }
command -v valgrind >/dev/null || { echo "needs valgrind (tools/deps.sh test)"; exit 2; }

source "$root/tools/session.sh"
session_start valgrind
# memcheck runs the software rasteriser's generated code instrumented, pixel by
# pixel: at 1024x768 the field draws one frame a second, at 320x240 about ten,
# which keeps the game playable and does not change what our code does.
width=320 height=240
echo "fast $width $height window" >"$work/data/conf.txt"
log=$work/data/log.txt
memcheck=$work/memcheck.txt
source "$root/tools/checks.sh"
logged() { grep -qF -- "$1" "$log" 2>/dev/null; }
waitLogged() { waitUntil "$2" logged "$1"; }  # text seconds
elapsed() { echo $(($(date +%s) - began)); }

# Mesa's software rasteriser. llvmpipe runs under memcheck (its generated code
# is re-checked through valgrind's default --smc-check=all-non-file), and with
# LP_NUM_THREADS=0 it draws on the calling thread: memcheck runs one thread at a
# time anyway, and the extra threads only cost switches.
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe LP_NUM_THREADS=0
# --keep-debuginfo: the driver is unloaded with the context before the leak
# check, and its frames would otherwise print as bare addresses nothing can match.
# --child-silent-after-fork: a library forks a helper at start-up; its copy of
# the process is not ours to check.
# shellcheck disable=SC2086
(cd "$work" && exec valgrind --tool=memcheck --error-exitcode=97 \
  --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
  --suppressions="$root/tools/valgrind.supp" --keep-debuginfo=yes --child-silent-after-fork=yes \
  --num-callers=40 --log-file="$memcheck" ${GIFTGUARD_VALGRIND_ARGS:-} \
  "$bin" >"$work/out.txt" 2>"$work/err.txt") &
pid=$!
started=$(date +%s)

# Start-up under memcheck takes seconds to minutes: the first frame follows the
# "winamin loop" line; the window gets its title just before.
if ! waitLogged "winamin loop" 300; then
  echo "FAILED: no first frame within 300 s"
  exit 1
fi
began=$(date +%s)
echo "first frame after $((began - started)) s under memcheck"
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^opengl progam$' 2>/dev/null | head -1)
[ -n "$window" ] || { echo "FAILED: no window"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null

key() { xdotool key --window "$window" "$@" 2>/dev/null; sleep 0.4; }
typed() { xdotool type --window "$window" --delay 30 "$1" 2>/dev/null; sleep 0.2; }
# Runs one console line and closes the console again (grave cycles open, log
# only, closed); waits for the line's answer in the log.
console() {  # line answer
  key grave
  typed "$1"
  key Return
  [ -z "${2:-}" ] || check "the console answers '$1' with '$2'" waitLogged "$2" 20
  key grave
  key grave
}
source "$root/tools/field_clicks.sh"
# A grid over the field but the gifts themselves; the sweeps run while the
# player is immortal, so that a stray hit on a gift costs nothing.
sweep() {
  clickGrid "-0.95 -0.8 -0.65 -0.5 -0.38 -0.26 0.26 0.38 0.5 0.65 0.8 0.95" "0.12 0 -0.12 -0.25 -0.38 -0.5 -0.6"
  sleep 0.5
}

# The menu, walked and back on its first entry; the console over it.
key Down
key Down
key Up
key Home
console 'print memcheck menu' 'memcheck menu'

# Survival, immortal for now: the console's language, then kills with the sweeps.
key Return
sleep 3
console 'set \$godmode 1'
console 'set \$a 5'
console 'add 1 \$a' '6.00'
console 'set \$p 2'
console 'for i to 7 do mul \$p \\$p' '340282366920938463463374607431768211456.00'
console 'if bc $a > 2 then print big' 'big'
console 'bc 2 ^ 100' 'bc unknow operator ^'
console 'for i from 1 to 3 do print memcheck$i' 'memcheck2'
console 'help'
console 'run data/test.kro' 'Rachunki sie zgadzaja'
console 'gotolevel 2'
sleep 1
# Six sweeps, and on until one kills (for at most 90 s): a sweep's clicks all
# land within a frame or two, so one sweep can miss every enemy, and memcheck's
# frames come slowly on a busy machine.
sweeps=0 since=$(date +%s)
while [ "$sweeps" -lt 6 ] || { ! logged "Enemy killed" && [ $(($(date +%s) - since)) -lt 90 ]; }; do
  sweep
  sweeps=$((sweeps + 1))
done
check "clicks kill enemies ($sweeps sweeps)" logged "Enemy killed"
logged "Enemy killed" ||
  { echo "hits: $(grep -c 'Enemy hited' "$log"); the log's last lines:"; tail -n 8 "$log" | sed 's/^/  /'; }

# A loss: a gift clicked (the second, should a runner have taken the first),
# or the gift a runner carries off once the player is mortal. The game-over
# screen gives way to the result by itself after four seconds; the result takes
# Enter once it offers to save the score, and Enter asks for a name, which goes
# to the saved top list. Each step waits for what the window shows: an Enter
# too early is lost, one too many saves an empty name.
offersToSave() {  # black, and "Press Enter to save results." low in the middle
  shows result 320x240+0+0 "$black" 0.7 && above "$(share "$work/result.png" 320x14+0+169 "$white")" 0.02
}
asksForName() {  # black, "pleas give your name" above the middle, nothing low
  shows prompt 320x240+0+0 "$black" 0.7 && above "$(share "$work/prompt.png" 320x12+0+98 "$white")" 0.02 &&
    ! above "$(share "$work/prompt.png" 320x14+0+169 "$white")" 0.005
}
console 'set \$godmode 0'
clickAt -0.15 0
clickAt 0.15 0
check "the result offers to save the score" waitUntil 60 offersToSave
key Return
check "the result asks for a name" waitUntil 20 asksForName
typed 'vg'
key Return
check "the name and the score are saved" waitUntil 20 grep -q '76 67' "$work/data/toplist.dat"
key Escape

# The arcade's first story page, scrolled fast with Down held, left with Escape.
key Home
key Down
key Down
key Return
sleep 3
xdotool keydown --window "$window" Down 2>/dev/null
sleep 2
xdotool keyup --window "$window" Down 2>/dev/null
sleep 1
key Escape

# Survival again, immortal, at level 5 (the boss may come), until the minute is up.
key Home
key Return
sleep 3
console 'set \$godmode 1'
console 'gotolevel 5'
sweeps=0
while [ "$sweeps" -lt 5 ] || [ "$(elapsed)" -lt "$seconds" ]; do
  sweep
  sweeps=$((sweeps + 1))
done
key space
key space
key Escape
console 'print memcheck end' 'memcheck end'
played=$(elapsed)
key grave
typed quit
key Return

# The program ends; memcheck's leak check at exit takes a while.
for _ in $(seq 1800); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAILED: the program did not end within 180 s of quit"
  exit 1
fi
wait "$pid"
status=$?
pid=
check "the story page was shown" grep -qF 'ModTxtShow::init()' "$work/proof.txt"
check "'exit' is the last log line" test "$(tail -n 1 "$log")" = exit
check "$played s of play (at least $seconds)" test "$played" -ge "$seconds"

summary=$(grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:|suppressed:' "$memcheck" | sed 's/^==[0-9]*== *//')
echo "$summary"
echo "session: $played s of play, $(($(date +%s) - started)) s in all"
if [ "$status" != 0 ]; then
  failures=$((failures + 1))
  echo "FAILED: memcheck exit status $status (97: errors or lost blocks, listed below)"
  # Every error and loss record, up to the blank line that ends it.
  sed -n '/^==[0-9]*== \(Invalid\|Conditional\|Use of\|Syscall\|Mismatched\|Source and\|Argument\|[0-9,]* .*lost in loss record\)/,/^==[0-9]*== $/p' \
    "$memcheck" | sed 's/^==[0-9]*== //' | head -400
fi
[ "$failures" = 0 ] && echo "memcheck: clean" && exit 0
exit 1
