#!/usr/bin/env bash
# The game's sound captured by SDL's disk audio driver: silence while nothing happens,
# sound soon after a killing click, none after `set \$sound 0`; and play with the dummy
# driver and with no audio device, one line in the log each.
# usage: sound_e2e.sh path/to/giftguard path/to/data   (needs DISPLAY, xdotool, python3)
bin=$1 data=$2
source "$(dirname "$0")/lib.sh"
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

# Without the music loops (one log line each) only effects reach the output.
noMusic() { rm -f "$work/data/sound/"*Music.wav; }
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$raw
prepare=noMusic start
check "the disk driver's device opens" logged 'sound: disk, 22050 Hz mono, buffer 256 frames (12 ms), 27 sounds'
check "a missing loop is one line in the log" test "$(grep -cxF 'sound: no file data/sound/menuMusic.wav' "$log")" = 1
sleep 1
quiet=$(captured)
check "the output runs ($(ms "$quiet") ms so far)" test "$quiet" -gt $((rate / 2))
check "and is silent while nothing happens" test "$(pcm loudest 0 "$quiet")" = 0
check "survival starts" survival
if check "a click kills" clickToKill && [ -n "$clickedAt" ]; then
  latency=$(pcm first "$clickedAt")
  echo "a killing click's sound came $latency ms after it, as captured"
  # The capture lags the mix by the file's 4 KiB buffer (0.09 s): about 0.15 s on a quiet machine.
  check "its sound follows within 0.5 s ($latency ms)" test "$latency" != none -a "${latency/none/0}" -le 500
fi
check "the missing loop was logged only once" test "$(grep -cxF 'sound: no file data/sound/playMusic.wav' "$log")" = 1
key alt+F4
endsWith "the game" 0

# `set \$sound 0` silences the music that was playing and every effect after.
rm -f "$raw"
start
sleep 1
check "the menu's music plays" above "$(pcm loudest 0 "$(captured)")" 500
console 'set \$sound 0'
sleep 1  # the music fades out over half a second
silentFrom=$(captured)
check "survival starts with the sound off" survival
check "a sweep of clicks kills with the sound off" sweepToKill
sleep 0.5
check "and the output stays silent ($(ms $(($(captured) - silentFrom))) ms)" test "$(pcm loudest "$silentFrom")" = 0
closed

# With a device that plays to nowhere and with none, the game starts and plays.
startsAndPlays() {  # what logged
  start
  check "$1: the game starts" test -n "$window"
  check "$1: one line in the log on the sound" test "$(grep -c "^sound: $2" "$log")" = 1
  check "$1: survival starts" survival
  check "$1: clicks kill" sweepToKill
  key alt+F4
  endsWith "$1: the game" 0
}
SDL_AUDIODRIVER=dummy startsAndPlays "the dummy driver" "dummy, 22050 Hz mono"
SDL_AUDIODRIVER=none startsAndPlays "no audio device" "no audio device: "

finish
