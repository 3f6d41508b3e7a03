#!/usr/bin/env bash
# Builds the Windows program's libraries (SDL2, SDL2_mixer, FreeType, GLEW, libpng, libjpeg-turbo)
# for MinGW-w64 from Debian's own source packages, into a prefix cached outside the checkout and
# keyed by the source versions, so a second run takes seconds. zlib is Debian's MinGW package.
# Each library's licence (its Debian copyright file) is kept in the prefix's share/licences/.
# usage: tools/windows_deps.sh   (the last line of output is the prefix)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/deps.sh windows >&2

cache=${GIFTGUARD_MINGW_CACHE:-/var/cache/giftguard-mingw}
toolchain=$root/cmake/mingw-w64.cmake
say() { echo "windows_deps: $*" >&2; }

# --- Source packages from the archive the machine's own Debian packages come from --------------

# apt's index targets name the entry (file:line, or file:stanza) each of Debian's indexes comes from; a
# deb-src twin of those entries, options and keyring kept, lets apt-get source reach the same archive.
debian_entries() {
  apt-get indextargets --format '$(ORIGIN) $(CREATED_BY) $(SOURCESENTRY)' | awk '$1 == "Debian" && $2 == "'"$1"'" {print $3}' | sort -u
}
add_source_entries() {
  local list=/etc/apt/sources.list.d/giftguard-deb-src entry file line
  [[ -n $(debian_entries Packages) ]] || apt-get update -qq
  [[ -z $(debian_entries Sources) ]] || return 0
  [[ $(id -u) -eq 0 ]] || { say "no deb-src entry for Debian's archive; run as root to add one"; exit 1; }
  rm -f "$list.sources" "$list.list"
  for entry in $(debian_entries Packages); do
    file=${entry%:*} line=${entry##*:}
    if [[ $file == *.sources ]]; then # deb822: apt counts stanzas, not lines
      awk -v stanza="$line" 'BEGIN {RS = ""} NR == stanza {n = split($0, lines, "\n")
        for (i = 1; i <= n; ++i) print (lines[i] ~ /^Types:/ ? "Types: deb-src" : lines[i]); print ""}' \
        "$file" >>"$list.sources"
    else
      sed -n "${line}s/^[ \t]*deb[ \t]/deb-src /p" "$file" >>"$list.list"
    fi
  done
  say "added deb-src twins of Debian's entries in $list.*"
  apt-get update -qq
}

# Newest first, by Debian's ordering of versions (madison lists them by archive).
source_versions() {
  local version sorted=() i
  for version in $(apt-cache madison "$1" | awk -F' [|] ' '$3 ~ / Sources$/ {gsub(/ /, "", $2); print $2}' | sort -u); do
    for ((i = ${#sorted[@]}; i > 0; --i)); do
      dpkg --compare-versions "${sorted[i - 1]}" ge "$version" && break
      sorted[i]=${sorted[i - 1]}
    done
    sorted[i]=$version
  done
  printf '%s\n' "${sorted[@]}"
}

packages=(libsdl2 libsdl2-mixer freetype glew libpng1.6 libjpeg-turbo)
add_source_entries

# --- The cache key: the versions on offer, this script, the toolchain and the compiler ----------
key_text=$(
  for package in "${packages[@]}"; do echo "$package $(source_versions "$package" | tr '\n' ' ')"; done
  dpkg-query -W -f='${Package} ${Version}\n' g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  cat "$0" "$toolchain"
)
key=$(sha256sum <<<"$key_text" | cut -c1-16)
prefix=$cache/$key
if [[ -f $prefix/versions.txt ]]; then
  say "cached ($prefix):"
  sed 's/^/  /' "$prefix/versions.txt" >&2
  echo "$prefix"
  exit 0
fi
[[ $(id -u) -eq 0 || -w $cache || -w $(dirname "$cache") ]] || { say "cannot write $cache; run as root"; exit 1; }

work=$cache/work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work/src" "$prefix/share/licences"
: >"$work/versions.txt"

# The newest version whose files the archive still has. Security updates are sometimes listed
# while their files are gone: then the release before it, said plainly.
fetch() {
  local package=$1 newest="" version
  for version in $(source_versions "$package"); do
    newest=${newest:-$version}
    if (cd "$work/src" && apt-get source -qq --download-only "$package=$version" >"$work/fetch.log" 2>&1); then
      if [[ $version == "$newest" ]]; then
        echo "$package $version" >>"$work/versions.txt"
      else
        echo "$package $version (the newest, $newest, is listed but its files cannot be fetched)" >>"$work/versions.txt"
      fi
      tail -1 "$work/versions.txt" | sed 's/^/windows_deps: took /' >&2
      local dsc=${package}_${version#*:}.dsc
      # apt-get checked the files against the archive's signed index; dpkg-source, without the
      # uploaders' keys here, can only warn that it cannot check the upload's signature.
      dpkg-source -x "$work/src/$dsc" "$work/$package" >>"$work/fetch.log" 2>&1
      cp "$work/$package/debian/copyright" "$prefix/share/licences/$package.txt"
      return 0
    fi
    say "$package $version: not fetchable ($(grep -m1 -o '[0-9][0-9][0-9] *[A-Za-z ]*$' "$work/fetch.log" || echo failed))"
  done
  say "no version of $package can be fetched"
  exit 1
}

jobs=$(nproc)
build() { # source folder, then CMake options
  local source=$1
  shift
  cmake -S "$source" -B "$source/build-mingw" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DGIFTGUARD_MINGW_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$source.log" 2>&1 &&
    cmake --build "$source/build-mingw" -j"$jobs" >>"$source.log" 2>&1 &&
    cmake --install "$source/build-mingw" >>"$source.log" 2>&1 ||
    { say "building $(basename "$source") failed; the end of $source.log:"; tail -30 "$source.log" >&2; exit 1; }
  say "built $(basename "$source")"
}

for package in "${packages[@]}"; do fetch "$package"; done
# The program links these too, from the machine's MinGW packages: zlib, and the compiler's runtime
# (the C++ library, the thread library).
for package in libz-mingw-w64-dev mingw-w64-x86-64-dev gcc-mingw-w64-base; do
  cp "/usr/share/doc/$package/copyright" "$prefix/share/licences/$package.txt"
done

# Only what the game uses: static libraries, no programs, tests or documents; pictures are PNG
# and JPEG; sound is WAV.
build "$work/libjpeg-turbo" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_ARITH_ENC=OFF
# Debian's zlib, static, for libpng and for FreeType (whose own copy would clash with it).
zlib=(-DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include)
build "$work/libpng1.6" -DPNG_SHARED=OFF -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF "${zlib[@]}"
build "$work/freetype" -DFT_REQUIRE_ZLIB=ON "${zlib[@]}" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
build "$work/glew/build/cmake" -DBUILD_UTILS=OFF -DGLEW_REGAL=OFF -DGLEW_OSMESA=OFF
build "$work/libsdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF
build "$work/libsdl2-mixer" -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS= -DSDL2MIXER_WAVE=ON

# pkg-config files the game's build reads: static GLEW needs GLEW_STATIC and no GLU file (MinGW has
# none); SDL2_mixer writes one only for a shared library.
fix_pkg_config() {
  local pc=$prefix/lib/pkgconfig
  sed -i -e '/^Requires: glu/d' -e 's/^Cflags: .*/& -DGLEW_STATIC/' "$pc/glew.pc"
  local mixer
  mixer=$(awk '$1 == "libsdl2-mixer" {print $2}' "$work/versions.txt")
  mixer=${mixer%%+*}
  cat >"$pc/SDL2_mixer.pc" <<EOF
prefix=$prefix
Name: SDL2_mixer
Description: SDL2_mixer with WAV only
Version: ${mixer#*:}
Requires: sdl2
Libs: -L\${prefix}/lib -lSDL2_mixer
Cflags: -I\${prefix}/include/SDL2
EOF
}
fix_pkg_config

cp "$work/versions.txt" "$prefix/versions.txt"
rm -rf "$work"
say "libraries ready in $prefix"
echo "$prefix"
