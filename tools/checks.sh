# Counted checks for the scripts that test the program from outside: sourced,
# then `check "what" command...` for each, and `finish` last for the verdict;
# with waits for what takes a while, and measures of the window's screenshots
# (with window and work set).
passes=0
failures=0

check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $what"
  fi
}

# `waitUntil SECONDS command...`: runs the command every tenth of a second until it
# succeeds, for at least SECONDS (whole seconds of the clock, so up to one more).
waitUntil() {
  local until=$(($(date +%s) + $1))
  shift
  until "$@" 2>/dev/null; do
    [ "$(date +%s)" -le "$until" ] || return 1
    sleep 0.1
  done
}

finish() {
  echo "$passes passed, $failures failed"
  test "$failures" = 0
}

# `shows NAME REGION FX SHARE`: a screenshot in which more than SHARE of REGION passes the fx test.
shot() { [ -n "$window" ] && import -window "$window" "$work/$1.png"; }  # no window: import would wait for a click
share() { convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:mean]' info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
shows() { shot "$1" && above "$(share "$work/$1.png" "$2" "$3")" "$4"; }
white='r>0.8&&g>0.8&&b>0.8' red='r>0.8&&g<0.2&&b<0.2' black='r<0.1&&g<0.1&&b<0.1'
