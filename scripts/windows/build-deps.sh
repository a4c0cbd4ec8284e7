#!/usr/bin/env bash
# Cross-builds the libraries zorta.exe links (SDL2, SDL2_mixer, SDL2_ttf with
# FreeType, zlib and libpng, and for Tiled maps pugixml, zstd and nlohmann-json)
# for 64-bit Windows, from Debian's own source packages at the versions of the
# Linux -dev packages installed here, into PREFIX. The result is keyed by those versions and by this script: a second
# run with the same key does nothing.
# Usage: scripts/windows/build-deps.sh BUILD_DIR   (the prefix is BUILD_DIR/deps/KEY)
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-win}")
JOBS=${JOBS:-2}
HOST=x86_64-w64-mingw32
TOOLCHAIN=$TOP/cmake/mingw-w64-x86_64.cmake

DEV_PACKAGES=(zlib1g-dev libpng-dev libfreetype-dev libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev
              libpugixml-dev libzstd-dev nlohmann-json3-dev)
declare -A SOURCE VERSION
. "$TOP/scripts/debian-sources.sh"
debian_source_versions

if debian_libraries_ready "$(cat "$0" "$TOOLCHAIN")"; then
  echo "Windows libraries up to date in $PREFIX"
  exit 0
fi
fetch_debian_sources
cd "$WORK/src"

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

build_zlib $HOST-gcc-posix $HOST-ar

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

build_tiled_libraries cmake_lib

finish_debian_libraries
echo "Windows libraries built in $PREFIX"
