#!/usr/bin/env bash
# The real program played for a long while with bounded random input: clicks
# anywhere in the window, keys from a safe set, survival fields, losses and the
# name prompt, the top list, the arcade's story pages and fields, the menu and
# the console's commands. Every 30 s it asks the console to print a numbered
# line, which must reach data/log.txt within 5 s, and samples the resident
# memory (VmRSS). At the end the program must be alive and answer, then end
# cleanly on `quit`.
#
# Memory must stay flat. The rule: take the samples after the first two
# minutes (the first phases visit every screen once, so that pictures, fonts
# and the driver's compiled state are in by then); each of the last three
# samples may be at most max(5 MiB, 5 %) above their median. data/log.txt and proof.txt grow with play by design; they are files,
# and the program holds neither in memory (the log is appended line by line,
# the trace keeps only the open scopes and a stdio buffer), so the rule needs
# no allowance for them; their sizes are reported beside the samples.
#
# The input is reproducible: bash's RANDOM, seeded with the seed printed at the
# start. The game itself seeds rand() from the clock, so the play differs.
# Never sent: `quit` (until the end), Alt+F4, End, and Down in the menu past
# Arcade; Return reaches the menu only on a chosen entry.
# usage: tools/soak.sh [minutes] [build]   (xdotool; uses DISPLAY, or starts Xvfb)
#   GIFTGUARD_SOAK_SEED  the seed (default 9)
#   GIFTGUARD_E2E_KEEP=1 keeps the working folder (log, trace, phases.txt)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
build=$(realpath "${2:-$root/build}")
bin=$build/giftguard
seed=${GIFTGUARD_SOAK_SEED:-9}
[ -x "$bin" ] || { echo "no program at $bin (build it first)"; exit 2; }
[[ "$minutes" =~ ^[0-9]+$ ]] && [ "$minutes" -ge 3 ] || { echo "minutes: a whole number, at least 3"; exit 2; }

source "$root/tools/session.sh"
session_start soak
log=$work/data/log.txt
(cd "$work" && exec "$bin" >/dev/null 2>"$work/err.txt") &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^opengl progam$' 2>/dev/null | head -1)
[ -n "$window" ] || { echo "FAILED: no window"; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null
sleep 1
echo "soak: $minutes min, seed $seed, pid $pid, folder $work"
RANDOM=$seed

# Random numbers come from the main shell only ($(...) would reseed): rnd N sets r to 0..N-1.
r=0
rnd() { r=$((RANDOM % $1)); }
alive() { kill -0 "$pid" 2>/dev/null; }
key() { xdotool key --window "$window" "$@" 2>/dev/null; sleep 0.25; }
typed() { xdotool type --window "$window" --delay 15 "$1" 2>/dev/null; sleep 0.1; }

# The console cycles closed (0), open (1), log only (2) with the grave key; only
# an open console takes keys. Tracked, so that every action knows where keys go.
cmode=0
consoleTo() {  # mode
  while [ "$cmode" != "$1" ]; do
    key grave
    cmode=$(((cmode + 1) % 3))
  done
}
# Space pauses every module; tracked, so that phases start unpaused.
paused=0
space() {
  key space
  paused=$((1 - paused))
}
unpause() { [ "$paused" = 0 ] || space; }

commands=('print hi' 'set \$a 5' 'add 1 \$a' 'sub 2 \$a' 'mul $a \$a' 'mov \$a \$b' 'print a=$a b=$b'
  'bc 2 ^ 100' 'bc 3 > 2' 'if bc $a > 2 then print big' 'for i from 1 to 6 do print soak$i'
  'for i to 9 do mul \$a \\$a' 'gotolevel 3' 'gotolevel 1' 'gotolevel 5' 'help' 'run data/test.kro' 'echo hello'
  'nosuch 1 2' 'set \$a' 'print' '' 'stop'
  "print $(printf 'x%.0s' $(seq 240))")
# Runs random console lines (history recall and Tab completion among them),
# then closes the console.
consoleBurst() {
  consoleTo 1
  rnd 4
  local n=$((r + 1))
  for _ in $(seq "$n"); do
    rnd 10
    if [ "$r" = 0 ]; then
      key Up Return  # the last line again
    elif [ "$r" = 1 ]; then
      typed 'he'
      key Tab Return  # completes to "help "
    elif [ "$r" = 2 ]; then
      typed 'prinz'
      key BackSpace
      typed 't edited'
      key Return
    else
      rnd ${#commands[@]}
      typed "${commands[$r]}"
      key Return
    fi
  done
  consoleTo 0
}

# Any module: console closed, unpaused, Escape; the menu on its first entry.
toMenu() {
  consoleTo 0
  unpause
  key Escape
  sleep 0.3
  key Home
}
menuEntry() {  # 0 survival, 1 top list, 2 arcade
  toMenu
  case $1 in
    0) key Return ;;
    1) key Down Return ;;
    2) key Down Down Return ;;
  esac
}
clicks() {  # count: random clicks anywhere in the 1024x768 window, one xdotool run
  local args=()
  for _ in $(seq "$1"); do
    rnd 1024
    local x=$r
    rnd 768
    args+=(mousemove --window "$window" "$x" "$r" click --delay 5 1)
  done
  xdotool "${args[@]}" 2>/dev/null
}
# A grid over both side lanes in one xdotool run: kills, so that enemies come
# and go (the field's objects are made and freed all the time).
sweep() {
  local args=()
  for x in 24 100 180 256 320 640 704 790 870 1000; do
    for y in 338 384 430 480 530 576 614; do
      args+=(mousemove --window "$window" "$x" "$y" click --delay 1 1)
    done
  done
  xdotool "${args[@]}" 2>/dev/null
}
# Keys for a running field: arrows, Return, Space, letters, digits.
fieldKeys=(Left Right Up Down Return a b k q s t z x 0 1 5 9 space)
randomFieldKey() {
  rnd ${#fieldKeys[@]}
  if [ "${fieldKeys[$r]}" = space ]; then space; else key "${fieldKeys[$r]}"; fi
}
# Waits a random 0 to 0.9 s between actions.
pauseRandom() {
  rnd 10
  sleep "0.$r"
}

# A survival field, immortal: clicks, keys, console lines, for 10 to 30 s.
phaseField() {  # [level to go to at once]
  menuEntry 0
  sleep 2.5
  consoleTo 1
  typed 'set \$godmode 1'
  key Return
  [ -z "${1:-}" ] || { typed "gotolevel $1"; key Return; }
  consoleTo 0
  rnd 21
  local until=$((SECONDS + 10 + r))
  while [ "$SECONDS" -lt "$until" ] && [ "$SECONDS" -lt "$deadline" ] && alive; do
    tick
    rnd 10
    if [ "$r" -lt 3 ]; then
      rnd 25
      clicks $((r + 1))
    elif [ "$r" -lt 5 ]; then
      sweep
    elif [ "$r" -lt 8 ]; then
      randomFieldKey
    elif [ "$r" = 8 ]; then
      consoleBurst
    else
      consoleTo 2
      randomFieldKey  # the log shown, keys still go to the game
      consoleTo 0
    fi
    pauseRandom
  done
  unpause
}
# Survival with a few kills, then a loss on a gift, the result, a random name.
phaseLoss() {
  menuEntry 0
  sleep 2.5
  consoleTo 1
  typed 'set \$godmode 1'
  key Return
  consoleTo 0
  for _ in $(seq 6); do clicks 30; sleep 0.5; done
  tick
  consoleTo 1
  typed 'set \$godmode 0'
  key Return
  consoleTo 0
  xdotool mousemove --window "$window" 435 384 click 1 mousemove --window "$window" 588 384 click 1 2>/dev/null
  sleep 6  # the game-over screen gives way to the result by itself
  key Return  # the name prompt, or the menu when the total is 0 (then Survival again)
  rnd 6
  local name=""
  for _ in $(seq "$r"); do
    rnd 26
    name+=$(printf "\\$(printf %o $((97 + r)))")
  done
  [ -z "$name" ] || typed "$name"
  key Return
  sleep 0.5
}
phaseTopList() {
  menuEntry 1
  rnd 8
  for _ in $(seq "$r"); do
    rnd 6
    case $r in
      0) key shift+s ;;  # saves the list
      1) key Up ;;
      2) key Left ;;
      *) rnd 26; key "$(printf "\\$(printf %o $((97 + r)))")" ;;
    esac
  done
}
# The arcade: the story page (Down held scrolls faster), then its field; no Down
# once the page may have given way, so that the menu never sees one.
phaseArcade() {
  menuEntry 2
  sleep 2.5
  rnd 3
  xdotool keydown --window "$window" Down 2>/dev/null
  sleep "$((r + 1))"
  xdotool keyup --window "$window" Down 2>/dev/null
  rnd 16
  local until=$((SECONDS + 5 + r))
  local keys=(Left Right Up Return a z 7)
  while [ "$SECONDS" -lt "$until" ] && [ "$SECONDS" -lt "$deadline" ] && alive; do
    tick
    rnd 3
    if [ "$r" = 0 ]; then
      rnd ${#keys[@]}
      key "${keys[$r]}"
    else
      rnd 20
      clicks $((r + 1))
    fi
    pauseRandom
  done
}
# The menu walked up and down, never onto Quit, the console over it.
phaseMenu() {
  toMenu
  local at=0
  rnd 8
  for _ in $(seq "$r"); do
    rnd 2
    if [ "$r" = 0 ] && [ "$at" -lt 2 ]; then
      key Down
      at=$((at + 1))
    else
      key Up
      [ "$at" = 0 ] || at=$((at - 1))
    fi
  done
  key Home
  consoleBurst
}

rssKiB() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }
samples=()  # "elapsed KiB"
checks=0 failed=0 slowest=0
# Asks the console for a numbered line and waits at most 5 s for it in the log.
responsive() {  # number
  alive || return 1
  consoleTo 1
  typed "print alive $1"
  local began ms ok=1
  began=$(date +%s%N)
  xdotool key --window "$window" Return 2>/dev/null
  while :; do
    ms=$((($(date +%s%N) - began) / 1000000))
    if grep -qxF "alive $1 " "$log" 2>/dev/null; then ok=0; break; fi
    [ "$ms" -lt 5000 ] || break
    sleep 0.02
  done
  [ "$ms" -le "$slowest" ] || slowest=$ms
  sleep 0.2
  consoleTo 0
  return $ok
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
sample() {
  local now=$((SECONDS - start)) kib
  kib=$(rssKiB)
  checks=$((checks + 1))
  if responsive "$checks"; then
    echo "$(printf '%4d' "$now") s  RSS $(mib "$kib") MiB  log $(($(stat -c %s "$log") / 1024)) KiB  trace $(($(stat -c %s "$work/proof.txt") / 1024)) KiB  answered"
  else
    failed=$((failed + 1))
    echo "$(printf '%4d' "$now") s  RSS $(mib "${kib:-0}") MiB  FAILED: no answer to 'print alive $checks' within 5 s"
  fi
  [ -z "$kib" ] || samples+=("$now $kib")
}

# Samples when one is due; called between actions, where the console may open.
tick() {
  [ "$SECONDS" -ge "$next" ] || return 0
  sample
  while [ "$next" -le "$SECONDS" ]; do next=$((next + 30)); done
}

start=$SECONDS
deadline=$((start + minutes * 60))
next=$start
declare -A ran=()
# Every kind of phase once first, the field at level 5 where every kind of
# enemy comes: pictures load and the driver compiles its state on first use,
# and all that is in before the samples that the memory rule counts.
warmup=(field loss arcade toplist menu console)
while [ "$SECONDS" -lt "$deadline" ] && alive; do
  tick
  rnd 20
  if [ "${#warmup[@]}" -gt 0 ]; then phase=${warmup[0]}; warmup=("${warmup[@]:1}")
  elif [ "$r" -lt 7 ]; then phase=field
  elif [ "$r" -lt 10 ]; then phase=loss
  elif [ "$r" -lt 12 ]; then phase=toplist
  elif [ "$r" -lt 15 ]; then phase=arcade
  elif [ "$r" -lt 17 ]; then phase=menu
  else phase=console
  fi
  # The phases, with the memory at their start, for a look afterwards (GIFTGUARD_E2E_KEEP=1).
  echo "$((SECONDS - start)) $phase $(rssKiB)" >>"$work/phases.txt"
  case $phase in
    field) phaseField "$([ "${ran[field]:-0}" = 0 ] && echo 5)" ;;
    loss) phaseLoss ;;
    toplist) phaseTopList ;;
    arcade) phaseArcade ;;
    menu) phaseMenu ;;
    console) consoleBurst ;;
  esac
  ran[$phase]=$((${ran[$phase]:-0} + 1))
done

status=0
if ! alive; then
  echo "FAILED: the program ended during the soak (see $work/err.txt)"
  GIFTGUARD_E2E_KEEP=1
  exit 1
fi
toMenu
sample

# The memory rule, on the samples after the first two minutes.
settled=() last=()
for s in "${samples[@]}"; do
  [ "${s%% *}" -lt 120 ] || settled+=("${s##* }")
done
last=("${settled[@]: -3}")
median=$(printf '%s\n' "${settled[@]}" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }')
margin=$(awk -v m="$median" 'BEGIN { d = m * 0.05; print (d > 5120 ? int(d) : 5120) }')
all=$(printf '%s\n' "${samples[@]}" | awk '{ print $2 }' | sort -n)
echo "samples: ${#samples[@]} (every 30 s); phases: $(for p in "${!ran[@]}"; do printf '%s %s, ' "$p" "${ran[$p]}"; done)"
echo "play: $(grep -c '^Enemy killed$' "$log") kills, $(grep -c '^error during exec' "$log") console errors, $(grep -cxF '=> WinMain => ModTxtShow::init() ' "$work/proof.txt") story pages, $(awk '/<SCOR>/ { getline; if ($1 != 0) n++ } END { print n + 0 }' "$work/data/toplist.dat" 2>/dev/null || echo 0) results in the top list"
echo "RSS: min $(mib "$(echo "$all" | head -1)") MiB, median after 2 min $(mib "$median") MiB, max $(mib "$(echo "$all" | tail -1)") MiB, last $(for k in "${last[@]}"; do printf '%s ' "$(mib "$k")"; done)MiB (allowed up to $(mib $((median + margin))) MiB)"
echo "responsiveness: $((checks - failed)) of $checks answered, slowest $slowest ms"
echo "files: log $(($(stat -c %s "$log") / 1024)) KiB, trace $(($(stat -c %s "$work/proof.txt") / 1024)) KiB"
for k in "${last[@]}"; do
  if [ "$k" -gt $((median + margin)) ]; then
    echo "FAILED: memory grew: $(mib "$k") MiB against a median of $(mib "$median") MiB"
    status=1
    break
  fi
done
[ "$failed" = 0 ] || status=1

# The end: `quit` from the console, exit status 0.
consoleTo 1
typed quit
key Return
for _ in $(seq 100); do alive || break; sleep 0.1; done
if alive; then
  echo "FAILED: quit did not end the program"
  status=1
else
  wait "$pid"
  code=$?
  pid=
  [ "$code" = 0 ] || { echo "FAILED: exit status $code"; status=1; }
fi
[ "$status" = 0 ] && echo "soak: passed" || echo "soak: FAILED"
exit $status
