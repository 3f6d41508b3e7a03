#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the format check, the sanitizer
# build (with the fuzz targets' short runs when clang is there), the plain build, and last the
# Windows build: its unit suites under Wine, then its setup program installed and played there.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/deps.sh test && tools/deps.sh wine || exit 1
jobs=$(nproc)

sanitize_flags=(-DGIFTGUARD_SANITIZE=ON -DGIFTGUARD_TESTS=ON -DGIFTGUARD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
if command -v clang++ >/dev/null; then
  sanitize_flags+=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGIFTGUARD_FUZZ=ON)
fi

# Tests that open windows need an X display: without one, a virtual one.
source tools/display.sh
display_start
[[ -z $xvfb ]] || trap 'kill $xvfb 2>/dev/null' EXIT

status=0
echo "== format"
tools/format.sh --check || status=1
echo "== build: sanitizers"
cmake -S . -B build-sanitize "${sanitize_flags[@]}" >/dev/null && cmake --build build-sanitize -j "$jobs" || exit 1
echo "== build: plain"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIFTGUARD_TESTS=ON -DGIFTGUARD_BENCH=ON >/dev/null && cmake --build build -j "$jobs" || exit 1

echo "== tests: sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs" || status=1
echo "== tests: plain"
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
echo "== windows: unit suites under Wine"
tools/windows_test.sh || status=1
echo "== windows: the setup program and the zip, and the installed game under Wine"
tools/windows_package.sh --tests &&
  bash tests/e2e/windows_e2e.sh "$(ls -t build-windows-tests/giftguard-*-setup.exe | head -1)" data || status=1
exit $status
