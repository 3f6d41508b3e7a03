# Shared by the end-to-end scripts: a working folder with a copy of data/, the
# program started in it, checks counted, X input and screenshot measurements.
# Sourced after setting bin and data; needs DISPLAY, xdotool and ImageMagick.
bin=$(realpath "$bin")
data=$(realpath "$data")
work=$(mktemp -d /tmp/giftguard-e2e-XXXXXX)
# GIFTGUARD_E2E_KEEP=1 keeps the folder (screenshots, log) for a look afterwards.
trap 'kill $pid 2>/dev/null; [ -n "${GIFTGUARD_E2E_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/checks.sh"
# Retries a command for up to 5 s: the program takes input a frame or more
# after it was sent, and a busy machine makes frames slow.
eventually() {
  for _ in $(seq 50); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}
logged() { grep -qxF -- "$1" "$work/data/log.txt"; }
# Fraction of the region's pixels that pass an fx test (ImageMagick), as a number 0..1.
share() { convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:mean]' info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
key() { xdotool key --window "$window" "$@" 2>/dev/null; sleep 0.3; }
typed() { xdotool type --window "$window" --delay 20 "$1"; sleep 0.2; }

# Starts the program over a fresh copy of data/, changed by $prepare if set.
launch() {
  rm -rf "$work/data" "$work/proof.txt"
  cp -r "$data" "$work/data"
  rm -f "$work/data/log.txt" "$work/data/toplist.dat"
  [ -z "${prepare:-}" ] || "$prepare"
  (cd "$work" && exec "$bin" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
}

# Launches the program and waits for its window.
start() {
  launch
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

