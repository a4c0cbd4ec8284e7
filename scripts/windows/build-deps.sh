#!/usr/bin/env bash
# Cross-builds the libraries zorta.exe links (SDL2, SDL2_mixer, SDL2_ttf with
# FreeType, and zlib and libpng) for 64-bit Windows, from Debian's own source
# packages at the versions of the Linux -dev packages installed here, into
# PREFIX. The result is keyed by those versions and by this script: a second
# run with the same key does nothing.
# Usage: scripts/windows/build-deps.sh BUILD_DIR   (the prefix is BUILD_DIR/deps/KEY)
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-win}")
JOBS=${JOBS:-2}
HOST=x86_64-w64-mingw32
TOOLCHAIN=$TOP/cmake/mingw-w64-x86_64.cmake

# Source package of each library, from the Linux -dev package of the same code.
DEV_PACKAGES=(zlib1g-dev libpng-dev libfreetype-dev libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev)
declare -A SOURCE VERSION
for dev in "${DEV_PACKAGES[@]}"; do
  read -r src ver < <(dpkg-query -W -f='${source:Package} ${source:Version}\n' "$dev")
  SOURCE[$dev]=$src
  VERSION[$dev]=$ver
done

key=$( { for dev in "${DEV_PACKAGES[@]}"; do echo "${SOURCE[$dev]}=${VERSION[$dev]}"; done
         cat "$0" "$TOOLCHAIN"; } | sha256sum | cut -c1-16)
PREFIX=$BUILD/deps/$key
if [ -f "$PREFIX/.done" ]; then
  echo "Windows libraries up to date in $PREFIX"
  ln -sfn "$key" "$BUILD/deps/current"
  exit 0
fi

WORK=$BUILD/deps-work
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src" "$PREFIX"

# A private source list beside the system's own: the Debian archives the
# system installs from, as deb-src. The system's apt configuration is not touched.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  grep -q 'debian' "$f" || continue
  sed 's/^Types:.*/Types: deb-src/' "$f" >"$WORK/apt/$(basename "$f")"
done
if [ -f /etc/apt/sources.list ]; then
  { grep -E '^deb .*debian' /etc/apt/sources.list || true; } | sed 's/^deb /deb-src /' >"$WORK/apt/system.list"
fi
APT=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$WORK/apt" -o Dir::State::Lists="$WORK/apt/lists"
     -o Dir::Cache="$WORK/apt/cache")
# As root, apt would hand the download to its own user, who cannot write here.
[ "$(id -u)" -ne 0 ] || APT+=(-o APT::Sandbox::User=root)
apt-get "${APT[@]}" update -qq
cd "$WORK/src"
for dev in "${DEV_PACKAGES[@]}"; do
  # A security update may have replaced the installed revision in the archive:
  # then the newest revision of the same upstream release.
  # A security update may have replaced the installed revision in the archive
  # (or a mirror may lack the newest): then the newest revision of the same
  # upstream release that can be had.
  got=""
  for v in "${VERSION[$dev]}" $(apt-cache "${APT[@]}" showsrc "${SOURCE[$dev]}" | sed -n 's/^Version: //p' | sort -rV); do
    up=${v#*:}
    want=${VERSION[$dev]#*:}
    [ "${up%-*}" = "${want%-*}" ] || continue
    if apt-get "${APT[@]}" source -qq --download-only "${SOURCE[$dev]}=$v" >/dev/null 2>&1; then got=$v; break; fi
    rm -f "${SOURCE[$dev]}"_*
  done
  [ -n "$got" ] || { echo "no source of ${SOURCE[$dev]} ${VERSION[$dev]%-*} in Debian's archive" >&2; exit 1; }
  dsc=$(ls "${SOURCE[$dev]}"_*.dsc | head -1)
  fetched=$(sed -n 's/^Version: //p' "$dsc")
  [ "$fetched" = "${VERSION[$dev]}" ] || echo "${SOURCE[$dev]}: $fetched in place of ${VERSION[$dev]}, the same upstream release"
  VERSION[$dev]=$fetched
  dpkg-source --no-check -x "$dsc" "${SOURCE[$dev]}" >/dev/null
done

cmake_lib() {  # source folder, then CMake options
  local src=$1
  shift
  cmake -S "$src" -B "$src/build-win" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" "$@" >"$src/configure.log"
  cmake --build "$src/build-win" -j "$JOBS" >"$src/build.log" 2>&1 || { tail -30 "$src/build.log"; exit 1; }
  cmake --install "$src/build-win" >"$src/install.log"
}

export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
unset PKG_CONFIG_PATH

# zlib as a static library, compiled directly: Debian's source leaves out the
# Windows makefile and resource file its own build scripts want.
echo "zlib ${VERSION[zlib1g-dev]}"
mkdir -p zlib/build-win "$PREFIX/include" "$PREFIX/lib"
for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
         uncompr zutil; do
  $HOST-gcc-posix -O2 -c "zlib/$c.c" -o "zlib/build-win/$c.o" 2>>zlib.log
done
$HOST-ar rcs "$PREFIX/lib/libz.a" zlib/build-win/*.o
cp zlib/zlib.h zlib/zconf.h "$PREFIX/include/"
mkdir -p "$PREFIX/lib/pkgconfig"
cat >"$PREFIX/lib/pkgconfig/zlib.pc" <<PC
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: zlib
Description: zlib compression library
Version: ${VERSION[zlib1g-dev]#*:}
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
PC

echo "libpng ${VERSION[libpng-dev]}"
cmake_lib "${SOURCE[libpng-dev]}" -Wno-dev -DPNG_TESTS=OFF -DPNG_STATIC=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"

# TrueType outlines only: the program's faces need no compressed or colour glyphs.
echo "freetype ${VERSION[libfreetype-dev]}"
cmake_lib freetype -Wno-dev -DBUILD_SHARED_LIBS=ON -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON

echo "SDL2 ${VERSION[libsdl2-dev]}"
cmake_lib "${SOURCE[libsdl2-dev]}" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=OFF

echo "SDL2_ttf ${VERSION[libsdl2-ttf-dev]}"
cmake_lib "${SOURCE[libsdl2-ttf-dev]}" -DBUILD_SHARED_LIBS=ON -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF \
  -DSDL2TTF_SAMPLES=OFF

# Samples are played from memory: no codec beyond the built-in WAV reader.
echo "SDL2_mixer ${VERSION[libsdl2-mixer-dev]}"
cmake_lib "${SOURCE[libsdl2-mixer-dev]}" -DBUILD_SHARED_LIBS=ON -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVE=ON

# The licences travel with the libraries into the package.
mkdir -p "$PREFIX/licenses"
cp zlib/README "$PREFIX/licenses/zlib.txt"
cp "${SOURCE[libpng-dev]}/LICENSE" "$PREFIX/licenses/libpng.txt"
cp freetype/docs/FTL.TXT "$PREFIX/licenses/FreeType.txt"
cp "${SOURCE[libsdl2-dev]}/LICENSE.txt" "$PREFIX/licenses/SDL2.txt"
cp "${SOURCE[libsdl2-mixer-dev]}/LICENSE.txt" "$PREFIX/licenses/SDL2_mixer.txt"
cp "${SOURCE[libsdl2-ttf-dev]}/LICENSE.txt" "$PREFIX/licenses/SDL2_ttf.txt"

for dev in "${DEV_PACKAGES[@]}"; do echo "${SOURCE[$dev]} ${VERSION[$dev]}"; done >"$PREFIX/VERSIONS"
touch "$PREFIX/.done"
ln -sfn "$key" "$BUILD/deps/current"
# Libraries of other versions are not used again.
for old in "$BUILD/deps"/*; do
  [ -L "$old" ] || [ "$(basename "$old")" = "$key" ] || rm -rf "$old"
done
rm -rf "$WORK"
echo "Windows libraries built in $PREFIX"
