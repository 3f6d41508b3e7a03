# Clicks on the play field, shared by the scripts that drive the real program.
# Source it with window, width and height set (the window's client size).

# Field coordinates (-1..1, y up) to client pixels.
pixel() { awk -v x="$1" -v y="$2" -v w="$width" -v h="$height" 'BEGIN { printf "%d %d", (x + 1) / 2 * w, (1 - y) / 2 * h }'; }
clickAt() { xdotool mousemove --window "$window" $(pixel "$1" "$2") click 1 2>/dev/null; }
# Clicks every point of the grid xs × ys (lists of field coordinates) in one
# xdotool run, which is much quicker than a run a click.
clickGrid() {
  local clicks=() x y
  for x in $1; do
    for y in $2; do
      clicks+=(mousemove --window "$window" $(pixel "$x" "$y") click --delay 1 1)
    done
  done
  xdotool "${clicks[@]}" 2>/dev/null
}
