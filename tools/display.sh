# Sourced by the scripts that open windows: display_start gives them a virtual X display of
# their own (Xvfb on the first free number from 90) when DISPLAY is not set, and sets DISPLAY
# to it; xvfb holds its process for the caller to end, or is empty.
display_start() {
  xvfb=
  [ -z "${DISPLAY:-}" ] || return 0
  local n
  for n in $(seq 90 120); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 250); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
}
