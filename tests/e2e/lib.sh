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

# The text's bytes as the top list's file holds a name: "69 6e" for "in".
hexOf() { printf %s "$1" | od -An -tx1 | sed 's/^ //'; }
# A survival played to a top-list entry under NAME, saved in FILE: the clicks of a sweep miss the
# gifts, and godmode keeps the game going until a kill, however slow the machine; only then may
# the game be lost, by a click on a gift or a gift carried off.
playedToEntry() {  # NAME FILE
  survival
  console 'set \$godmode 1'
  check "a figure is killed" sweepToKill 60
  console 'set \$godmode 0'
  # The game-over screen and the result take no clicks.
  for _ in $(seq 40); do
    resultShown && break
    clickAt -0.15 0
    clickAt 0.15 0
    sleep 0.5
  done
  check "the game ends with its result" resultShown
  key Return
  check "the name prompt follows the result" eventually differsFrom result
  entered "$1"
  check "the entry is saved in the player's folder" \
    eventually grep -qi "$(hexOf "$1")" "$2"
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
start() {  # launch, and wait for the window (windowWait seconds, 20 unless set)
  launch
  window=$(timeout "${windowWait:-20}" xdotool search --sync --onlyvisible --name '^opengl progam$' 2>/dev/null | head -1)
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
# Closes the box titled "error" with Return while the program runs (at most 10 s); box: its window.
# SDL shows its box where the X server has the fonts for it, Wine always.
boxClosed() {
  local shown
  box=
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    shown=$(xwininfo -name error 2>/dev/null | awk '/Window id:/ { print $4 }')
    [ -z "$shown" ] || { box=$shown && xdotool key --window "$box" Return 2>/dev/null; }
    sleep 0.1
  done
}
endsWith() {  # what status: checks that the program ends with that status
  ended
  local status=$?
  check "$1 ends with status $2 (got $status)" test "$status" = "$2"
}

# The sound, as SDL's disk driver captures it into $raw (SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$raw).
# Clicks where the zombies' heads pass until one kills (a head shot kills at once, a miss is silent)
# after 0.2 s of silence, so the sound that follows is its own. clickedAt: the capture's length then.
clickToKill() {
  local x y before
  for _ in $(seq 20); do
    for x in -0.9 0.9 -0.75 0.75 -0.6 0.6; do
      for y in 0.1 -0.35; do
        before=$(kills)
        clickedAt=$(captured)
        clickAt "$x" "$y"
        sleep 0.15
        [ "$(kills)" -gt "$before" ] && [ "$(pcm loudest $((clickedAt - rate / 5)) "$clickedAt")" = 0 ] && return 0
      done
    done
  done
  clickedAt=
  return 1
}

# The device plays 16-bit mono at the sound files' rate.
rate=22050
raw=$work/audio.raw
captured() { stat -c %s "$raw" 2>/dev/null || echo 0; }
# The capture from byte FROM to TO (or its end): the loudest sample, or the ms before the first audible one.
pcm() {  # loudest|first FROM [TO]
  python3 - "$raw" "$rate" "$@" <<'EOF'
import array, sys
path, rate, what, start = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4]) & ~1
data = open(path, "rb").read()[start : int(sys.argv[5]) if len(sys.argv) > 5 else None]
samples = array.array("h", data[: len(data) & ~1])
first = next((i * 1000 // rate for i, v in enumerate(samples) if abs(v) > 64), "none")
print(max(map(abs, samples), default=0) if what == "loudest" else first)
EOF
}
ms() { echo $(($1 / 2 * 1000 / rate)); }
heardAfterAKill() {  # on the play field, with the effects alone reaching the output
  if check "a click kills" clickToKill && [ -n "$clickedAt" ]; then
    local latency
    latency=$(pcm first "$clickedAt")
    echo "a killing click's sound came $latency ms after it, as captured"
    # The capture lags the mix by the file's 4 KiB buffer (0.09 s): about 0.15 s on a quiet machine.
    check "its sound follows within 0.5 s ($latency ms)" test "$latency" != none -a "${latency/none/0}" -le 500
  else
    echo "  (kills: $(kills); the capture: $(ms "$(captured)") ms, its loudest sample $(pcm loudest 0))"
  fi
}
