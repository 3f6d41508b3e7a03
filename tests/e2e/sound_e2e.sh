#!/usr/bin/env bash
# The game's sound captured by SDL's disk audio driver: silence while nothing happens,
# sound soon after a killing click, none after `set \$sound 0`; and play with the dummy
# driver and with no audio device, one line in the log each.
# usage: sound_e2e.sh path/to/giftguard path/to/data   (needs DISPLAY, xdotool, python3)
bin=$1 data=$2
source "$(dirname "$0")/lib.sh"

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
heardAfterAKill
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
