#!/usr/bin/env bash
# Takes the README's screenshots from the real program under X: the menu, a
# level with every kind of enemy, the boss's limousine, the game-over screen,
# the top list and a story page, into docs/. The game is random, so the
# pictures differ from run to run; look at them before committing.
# usage: DISPLAY=:N tools/screenshots.sh [build]   (Xvfb, xdotool, ImageMagick)
set -euo pipefail
build=$(realpath "${1:-build}")
docs=$(realpath docs)
work=$(mktemp -d /tmp/giftguard-shots-XXXXXX)
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
cp -r data "$work/data"
rm -f "$work/data/log.txt"
# A top list with a few results, in the file's own text form.
entry() {  # letter name score
  printf '\t<%s_EN>\n\t\t<NAME>\n\t\t\t%s\n\t\t</NAME>\n\t\t<SCOR>\n\t\t\t%s \n\t\t</SCOR>\n\t</%s_EN>\n' \
    "$1" "$(printf '%s' "$2" | od -An -tx1 -v | awk '{ for (i = 1; i <= 4; i++) printf "%2s ", ($i == "" ? "0" : $i) }')" "$3" "$1"
}
i=0
for result in ania:412 kuba:380 ola:305 zbyszek:277 mo:199 ewa:150 jan:96 tom:64; do
  letter=$(printf "\\$(printf %o $((65 + i)))")
  entry "$letter" "${result%%:*}" "${result##*:}"
  i=$((i + 1))
done >"$work/data/toplist.dat"

(cd "$work" && exec "$build/giftguard" >/dev/null 2>&1) &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^opengl progam$' | head -1)
sleep 1
key() { xdotool key --window "$window" "$@"; sleep 0.3; }
console() {  # runs one console line, console closed again
  key grave
  xdotool type --window "$window" --delay 20 "$1"
  key Return grave grave
}
shot() { import -window "$window" "$docs/$1.png"; }
# Waits, at most about a minute, until more than a share of a region's pixels pass an fx test.
waitFor() {  # region test share
  for _ in $(seq 240); do
    sleep 0.2
    import -window "$window" "$work/probe.png"
    local got
    got=$(convert "$work/probe.png" -crop "$1" +repage -fx "$2" -format '%[fx:mean]' info:)
    awk -v g="$got" -v s="$3" 'BEGIN { exit !(g > s) }' && return
  done
}

shot menu
key Return
sleep 2.5
console 'set \$godmode 1'
console 'gotolevel 4'
sleep 9
shot field
# The boss: at level 5 the limousine comes sooner or later; spawns stop while it is on the field.
console 'gotolevel 5'
# The limousine's dark body entering at the right edge of its lane.
waitFor 60x100+964+520 'r<0.15&&g<0.15&&b<0.2' 0.2
sleep 5.6  # it drives to the middle, stands, leaves the boss and drives off
shot boss
console 'set \$godmode 0'
console 'gotolevel 3'
# The red "GAME OVER" of a loss.
waitFor 700x100+162+240 'r>0.8&&g<0.3&&b<0.3' 0.05
sleep 0.3
shot gameover
key Return
sleep 1.5
key Return
key Down Return
shot toplist
key Escape Down Return
sleep 7
shot story
