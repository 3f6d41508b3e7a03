#!/usr/bin/env bash
# The game played with real clicks and keys: survival to the name prompt and the saved
# top list; a game lost at once; the top list from the menu; the arcade's story page;
# Escape from a game; a damaged top list and missing defaults at start-up.
# usage: game_e2e.sh path/to/giftguard path/to/data   (needs DISPLAY, xdotool, ImageMagick)
bin=$1 data=$2
source "$(dirname "$0")/lib.sh"
gameOverShown() { shows gameover 1024x200+0+500 'r>0.9&&g>0.9&&b>0.9' 0.9; }

# Survival with points earns a place. The sweeps stop at the first kill: a gift dropped in a lane
# by a runner would take the next sweep's click and lose the game.
start
survival
check "clicks kill enemies" sweepToKill 8
check "the field shows its score" fieldShown
clickAt -0.15 0
check "the game-over screen is white" eventually gameOverShown
check "GAME OVER is red" above "$(share "$work/gameover.png" 700x100+162+240 'r>0.8&&g<0.3&&b<0.3')" 0.05
# The game-over screen goes by itself after 4 s, and a key sent early would skip the result.
check "the result screen is dark with white text" eventually resultShown
key Return
# Keys sent in the frame that changes the screen would still reach the old one.
check "the name prompt follows the result" eventually differsFrom result
entered 'e2e!'
saved() { eventually grep -q "$1" "$work/data/toplist.dat" || { echo "data/toplist.dat holds:"; cat "$work/data/toplist.dat"; false; }; }
check "the name and the score are saved" saved '65 32 65 31'
check "the top list follows the prompt" shows toplist 400x70+312+20 "$white" 0.05
key Escape
check "Escape leaves the top list for the menu" menuShown

# The top list from the menu, saved with S.
rm -f "$work/data/toplist.dat"
key Down Return shift+s
check "S on the top list saves it" eventually test -s "$work/data/toplist.dat"
key Escape

# Survival lost at once: game over, the result, Enter back to the menu.
key Up
survival
clickAt 0.15 0
eventually gameOverShown && eventually resultShown
key Return
check "a total of 0 goes straight back to the menu" menuShown

# The arcade's first story page scrolls up.
key Down Down Return
sleep 2.5
shot story1
sleep 1.5
shot story2
moved=$(compare -metric AE "$work/story1.png" "$work/story2.png" null: 2>&1)
check "the story page scrolls (changed pixels: $moved)" above "$moved" 1000
check "the story is drawn over the background" above "$(share "$work/story2.png" 1024x768+0+0 'b>0.15')" 0.3

# Escape from a running game.
key Escape Up Up Return
sleep 3
key Escape
check "Escape leaves a running game for the menu" menuShown
closed

# A damaged top list and a "fullscreen" that is not a number: logged, and the game starts.
damage() {
  printf '<A_EN>\n\t<NAME>zz' >"$work/data/toplist.dat"
  printf 'fullscreen maybe\n' >"$work/data/defvar.txt"
}
prepare=damage start
check "the game starts over a damaged top list" test -n "$window"
check "the damage is logged" grep -q '^can not read data/toplist.dat' "$work/data/log.txt"
check "the damaged list is kept aside" test -s "$work/data/toplist.dat.bad"
check "a fullscreen that is not a number is logged" logged "fullscreen ignored: not numeric"
check "and the window stays a window" test "$(size)" = 1024x768
closed

# Without default variables the game starts all the same.
nodefaults() { rm -f "$work/data/defvar.txt"; }
prepare=nodefaults start
check "the game starts without data/defvar.txt" test -n "$window"
check "the missing defaults are logged" logged "Var::loadGlobal can not read file"
closed
finish
