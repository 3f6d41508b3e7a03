# Counted checks for the scripts that test the program from outside: sourced,
# then `check "what" command...` for each, and `finish` last for the verdict.
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

finish() {
  echo "$passes passed, $failures failed"
  test "$failures" = 0
}
