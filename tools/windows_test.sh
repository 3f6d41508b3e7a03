#!/usr/bin/env bash
# Builds the unit suites for Windows (tools/windows_build.sh --tests, build-windows-tests/) and runs
# each under Wine in a fresh Wine prefix, with a time limit; fails when any suite fails. The suites
# that compare with a Linux program (grep -E, bc, ImageMagick) take its answers from their own run
# on Linux first, in the Linux build folder $GIFTGUARD_LINUX_BUILD (build/ by default; made and
# configured as tools/test.sh does when missing). Each suite's output is kept in
# build-windows-tests/wine/<suite>.log.
# usage: tools/windows_test.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/deps.sh test && tools/deps.sh wine || exit 1  # the Linux half needs the test set
build=build-windows-tests linux=${GIFTGUARD_LINUX_BUILD:-build} limit=300
began=$SECONDS

work=$(mktemp -d /tmp/giftguard-wine-XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko asked for
xvfb=""
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null  # this prefix's server only
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "building the Windows suites ($build/build.log)"
mkdir -p "$build"
tools/windows_build.sh --tests "$build" >"$build/build.log" 2>&1 || { tail -30 "$build/build.log"; exit 1; }
built=$SECONDS

# The Linux half of the comparisons: the suites that include the peer helper, their answers kept.
mapfile -t peered < <(grep -l 'support/peer.h' tests/*/*_test.cpp | xargs -n1 basename | sed 's/\.cpp$//')
echo "their peers' answers on Linux: ${peered[*]} ($linux)"
if [[ ! -f $linux/CMakeCache.txt ]]; then
  cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIFTGUARD_TESTS=ON -DGIFTGUARD_BENCH=OFF >/dev/null || exit 1
fi
cmake --build "$linux" --target "${peered[@]}" -j"$(nproc)" >"$build/linux-peers.log" 2>&1 || { tail -30 "$build/linux-peers.log"; exit 1; }
for suite in "${peered[@]}"; do
  GIFTGUARD_PEER_ANSWERS=$work/answers "$linux/tests/$suite" >>"$build/linux-peers.log" 2>&1 ||
    echo "  $suite fails on Linux too ($build/linux-peers.log)"
done

# Windows opens windows: without a display, a virtual one.
source tools/display.sh
display_start
/usr/lib/wine/wine64 wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
booted=$SECONDS

status=0
mkdir -p "$build/wine"
# Wine's drive Z: is the Linux root.
export GIFTGUARD_PEER_ANSWERS=Z:$work/answers
for exe in "$build"/tests/*_test.exe; do
  suite=$(basename "$exe" .exe) log=$build/wine/$(basename "$exe" .exe).log
  start=$(date +%s.%N)
  timeout "$limit" /usr/lib/wine/wine64 "$exe" >"$log" 2>&1
  code=$?
  sed -i 's/\r$//' "$log"  # Windows ends its lines with CR LF
  seconds=$(awk "BEGIN {print $(date +%s.%N) - $start}")
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$log")
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:$/\1/p' "$log")
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:$/\1/p' "$log")
  verdict=ok
  if [[ $code -eq 124 ]]; then
    verdict="timed out after $limit s"
  elif [[ $code -ne 0 || -z $passed ]]; then
    verdict="FAILED (exit $code)"
  fi
  printf '  %-16s %3s passed, %s failed%s  %5.1f s  %s\n' "$suite" "${passed:-0}" "${failed:-0}" \
    "${skipped:+, $skipped skipped}" "$seconds" "$verdict"
  if [[ $verdict != ok ]]; then
    status=1
    grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u | sed 's/^/      /'
    echo "      (all of it in $log)"
  fi
done
echo "windows suites: build $((built - began)) s, Linux answers and Wine prefix $((booted - built)) s, suites $((SECONDS - booted)) s"
exit $status
