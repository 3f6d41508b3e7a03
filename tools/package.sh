#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: lintian (warnings fail too; the overrides
# in packaging/lintian-overrides say why each is there), desktop-file-validate on the menu entry,
# appstreamcli on the metadata, and the layout and dependencies of the package.
# usage: tools/package.sh [build folder]   (default build-package/, made with the game alone and
#        Debian's hardening flags when the folder is new)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
"$root/tools/deps.sh" package

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  # CMake takes the compiler flags from the environment, but not the preprocessor's (the fortified functions).
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cppflags=$(dpkg-buildflags --get CPPFLAGS)
  CFLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
    LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIFTGUARD_TESTS=OFF -DGIFTGUARD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/giftguard_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/giftguard_"$version"_*.deb)
echo "package: $deb"

source "$root/tools/checks.sh"
unpacked=$(mktemp -d /tmp/giftguard-package-XXXXXX)
trap 'rm -rf "$unpacked" "$unpacked.lintian"' EXIT
dpkg-deb -x "$deb" "$unpacked"
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
listed() { grep -qxF "./$1" <<<"$contents"; }
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"

lintian --display-info "$deb" >"$unpacked.lintian" 2>&1 || true
cat "$unpacked.lintian"
check "lintian" lintian --fail-on error,warning "$deb"
check "built with Debian's hardening flags" bash -c "! grep -q hardening- '$unpacked.lintian'"
check "desktop-file-validate" desktop-file-validate "$unpacked/usr/share/applications/giftguard.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
check "the program is a game under /usr/games" listed usr/games/giftguard
check "the data lies under /usr/share/games/giftguard" listed usr/share/games/giftguard/bg.png
check "with the default settings" listed usr/share/games/giftguard/conf.txt
check "and nothing written at run time" test -z "$(grep -E '/(log\.txt|toplist\.dat.*|proof\.txt)$' <<<"$contents")"
check "the manual page is in section 6" listed usr/share/man/man6/giftguard.6.gz
check "the icon has every size" test "$(grep -c 'hicolor/.*/apps/giftguard.png$' <<<"$contents")" = 7
check "the menu entry starts the packaged program" grep -qxF "Exec=/usr/games/giftguard" \
  "$unpacked/usr/share/applications/giftguard.desktop"
check "the libraries come from the program (SDL 2, DevIL)" \
  bash -c "grep -q libsdl2 <<<'$depends' && grep -q libdevil <<<'$depends'"
check "the metadata's newest release is $version" grep -q "<release version=\"$version\"" \
  "$unpacked"/usr/share/metainfo/*.metainfo.xml
check "the changelog's newest entry is $version" bash -c "zcat '$unpacked/usr/share/doc/giftguard/changelog.gz' |
  head -n 1 | grep -qF 'giftguard ($version)'"

finish
