#!/usr/bin/env bash
# Makes sure the Debian packages the project needs are installed.
# As root it installs what is missing; otherwise it prints the one apt-get line to run.
# usage: tools/deps.sh play|package|test|windows|wine
set -euo pipefail

play_packages=(cmake make g++ pkg-config libsdl2-dev libsdl2-mixer-dev libglu1-mesa-dev libgl1-mesa-dri libfreetype-dev
  libfontconfig-dev fonts-liberation2 libdevil-dev libglew-dev)
package_packages=("${play_packages[@]}" dpkg-dev file lintian desktop-file-utils appstream)
test_packages=("${package_packages[@]}" clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev libbenchmark-dev libgmp-dev bc python3 imagemagick
  libpng-dev libjpeg62-turbo-dev
  xvfb xauth xdotool x11-utils xclip valgrind graphviz)
# The Windows cross build (its libraries come from Debian's source packages, GoogleTest's for its unit
# suites) with its setup program and zip, and running it under Wine.
windows_packages=(cmake make pkg-config dpkg-dev xz-utils nasm g++-mingw-w64-x86-64-posix libz-mingw-w64-dev nsis zip
  googletest)
wine_packages=("${windows_packages[@]}" wine64 xvfb xauth imagemagick)

case "${1:-}" in
  play) wanted=("${play_packages[@]}") ;;
  package) wanted=("${package_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  wine) wanted=("${wine_packages[@]}") ;;
  *) echo "usage: $0 play|package|test|windows|wine" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "giftguard needs these Debian packages; run as root:" >&2
  echo "  $line" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$line
