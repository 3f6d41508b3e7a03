# Shared by the scripts that run the real program on their own (soak,
# valgrind): a working folder with a fresh copy of data/, an Xvfb of its own
# when no display is set, and the clean-up of both and of the program ($pid).
# Source it with root set; then call: session_start NAME
# GIFTGUARD_E2E_KEEP=1 keeps the working folder for a look afterwards.
session_start() {
  work=$(mktemp -d "/tmp/giftguard-$1-XXXXXX")
  pid= xvfb=
  trap session_cleanup EXIT
  source "$root/tools/display.sh"
  display_start
  cp -r "$root/data" "$work/data"
  rm -f "$work/data/log.txt" "$work/data/toplist.dat" "$work/data/toplist.dat".*
}

session_cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  if [ -n "${GIFTGUARD_E2E_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
