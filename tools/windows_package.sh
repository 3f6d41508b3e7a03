#!/usr/bin/env bash
# The Windows setup program and the portable zip, from the sources alone: the program built with
# tools/windows_build.sh (libraries and all), installed into a staging folder, then packed by NSIS
# into build-windows/giftguard-<version>-setup.exe and by zip into giftguard-<version>-portable.zip.
# Both hold the same files: giftguard.exe, data\ and licences\ (the game's and each bundled library's).
# With --tests it packs the program of the build that has the unit suites too (build-windows-tests/,
# as tools/windows_test.sh leaves it), the same program, so that the test command compiles it once.
# usage: tools/windows_package.sh [--tests] [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tests=()
[[ ${1:-} == --tests ]] && tests=(--tests) && shift
build=$(realpath -m "${1:-$([[ ${#tests[@]} -gt 0 ]] && echo build-windows-tests || echo build-windows)}")
tools/windows_build.sh "${tests[@]}" "$build" >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=giftguard-$version
stage=$build/stage/$name
rm -rf "$build/stage"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
[[ -f $stage/giftguard.exe && -f $stage/data/bg.png && -f $stage/licences/libsdl2.txt ]] ||
  { echo "windows_package: the staged tree in $stage is incomplete" >&2; exit 1; }

# What the uninstaller removes: the files it installed, then their folders, deepest first.
files=$build/stage/files.nsh
windows() { sed 's|^\./||; s|/|\\|g'; }
{
  (cd "$stage" && find . -type f | sort | windows | sed 's|.*|  Delete "$INSTDIR\\&"|')
  (cd "$stage" && find . -mindepth 1 -type d | sort -r | windows | sed 's|.*|  RMDir "$INSTDIR\\&"|')
} >"$files"

setup=$build/$name-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DOUTFILE="$setup" \
  -DSIZE_KB="$(du -sk "$stage" | cut -f1)" "$root/packaging/windows/giftguard.nsi"

zip=$build/$name-portable.zip
rm -f "$zip"
(cd "$build/stage" && zip -qrX "$zip" "$name")
echo "built $setup"
echo "built $zip"
