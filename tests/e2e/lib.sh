# Sourced by the end-to-end scripts after setting bin and data: a working folder with a copy
# of data/, the program started in it, counted checks, keys, clicks and screenshot measures.
set -uo pipefail
[ -n "${DISPLAY:-}" ] || { echo "needs an X display (tools/test.sh starts one)"; exit 1; }
bin=$(realpath "$bin")
data=$(realpath "$data")
work=$(mktemp -d /tmp/giftguard-e2e-XXXXXX)
# GIFTGUARD_E2E_KEEP=1 keeps the folder (screenshots, log) for a look afterwards.
trap 'kill $pid 2>/dev/null; [ -n "${GIFTGUARD_E2E_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/checks.sh"
width=1024 height=768
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/field_clicks.sh"

# Retries a command for up to 5 s: input takes effect a frame or more later, and frames are slow on a busy machine.
eventually() { waitUntil 5 "$@"; }
log=$work/data/log.txt
logged() { grep -qxF -- "$1" "$log"; }
kills() { grep -cxF 'Enemy killed' "$log"; }
key() {  # key KEY...: one at a time, with time for a frame or two after each
  for k; do
    xdotool key --window "$window" "$k" 2>/dev/null
    sleep 0.3
  done
}
typed() { xdotool type --window "$window" --delay 20 "$1"; sleep 0.2; }
entered() { typed "$1" && key Return; }
console() { key grave && entered "$1" && key grave grave; }  # the console opened for a line, then gone
survival() { key Return && sleep 2 && eventually fieldShown; }  # the menu's first entry
closed() { key alt+F4 && ended; }
# A grid of clicks over both side lanes, clear of the gifts in the middle.
sweep() {
  clickGrid "-0.95 -0.8 -0.65 -0.5 -0.38 0.38 0.5 0.65 0.8 0.95" "0.12 0 -0.12 -0.25 -0.38 -0.5 -0.6"
  sleep 0.2
}
sweepToKill() {  # [N]: sweeps until one kills, at most N (10) times
  local before
  before=$(kills)
  for _ in $(seq "${1:-10}"); do
    sweep
    sleep 0.1
    [ "$(kills)" -gt "$before" ] && return 0
  done
  return 1
}

differsFrom() { shot now && above "$(compare -metric AE "$work/$1.png" "$work/now.png" null: 2>&1)" 1000; }
size() { xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
menuShown() { shows menu 250x40+45+78 "$red" 0.05; }  # the selected entry is red
fieldShown() { shows field 300x80+724+0 "$white" 0.02; }  # the score, top right
# A survival's result: black but for white text in the middle (the game-over screen before is pale).
resultShown() { shows result 1024x768+0+0 "$black" 0.7 && above "$(share "$work/result.png" 800x120+112+230 "$white")" 0.02; }

# Starts the program over a fresh copy of data/, changed by $prepare if set.
launch() {
  rm -rf "$work/data" "$work/proof.txt"
  cp -r "$data" "$work/data"
  rm -f "$work/data/log.txt" "$work/data/toplist.dat"
  [ -z "${prepare:-}" ] || "$prepare"
  (cd "$work" && exec "$bin" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
}
start() {  # launch, and wait for the window
  launch
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^opengl progam$' 2>/dev/null | head -1)
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 0.5
}
ended() {  # waits at most 20 s for the program to end: its status, or 124
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  kill "$pid"
  return 124
}
endsWith() {  # what status: checks that the program ends with that status
  ended
  local status=$?
  check "$1 ends with status $2 (got $status)" test "$status" = "$2"
}
