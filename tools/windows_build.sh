#!/usr/bin/env bash
# Builds the Windows program, build-windows/giftguard.exe, with MinGW-w64: its libraries first
# (tools/windows_deps.sh, cached), then the game in a build folder of its own. With --tests the
# unit suites too, in build-windows-tests/tests/ (tools/windows_test.sh runs them under Wine).
# usage: tools/windows_build.sh [--tests] [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
tests=OFF
[[ ${1:-} == --tests ]] && tests=ON && shift
build=${1:-$([[ $tests == ON ]] && echo build-windows-tests || echo build-windows)}
prefix=$(tools/windows_deps.sh | tail -1)
cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DGIFTGUARD_MINGW_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIFTGUARD_TESTS=$tests -DGIFTGUARD_BENCH=OFF -DGIFTGUARD_FUZZ=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "built $build/giftguard.exe"
