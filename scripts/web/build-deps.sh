#!/usr/bin/env bash
# Cross-builds the libraries the web page links (SDL2, SDL2_mixer, SDL2_ttf
# with FreeType, zlib and libpng, and for Tiled maps pugixml, zstd and
# nlohmann-json) as static WebAssembly libraries with Emscripten, from Debian's
# own source packages at the versions of the Linux -dev packages installed
# here, into PREFIX. Emscripten's own library ports
# cannot be used: Debian freezes its cache. The result is keyed by those
# versions and by this script: a second run with the same key does nothing.
# Usage: scripts/web/build-deps.sh BUILD_DIR   (the prefix is BUILD_DIR/deps/KEY)
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-web}")
JOBS=${JOBS:-2}
# Debian's acorn, which optimised links need, is where this Node may not look.
export NODE_PATH=/usr/share/nodejs

DEV_PACKAGES=(zlib1g-dev libpng-dev libfreetype-dev libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev
              libpugixml-dev libzstd-dev nlohmann-json3-dev)
declare -A SOURCE VERSION
. "$TOP/scripts/debian-sources.sh"
debian_source_versions

if debian_libraries_ready "$(cat "$0"; emcc --version | head -1)"; then
  echo "web libraries up to date in $PREFIX"
  exit 0
fi
mkdir -p "$PREFIX/include" "$PREFIX/lib/pkgconfig"
fetch_debian_sources
cd "$WORK/src"

cmake_lib() {  # source folder, then CMake options
  local src=$1
  shift
  emcmake cmake -S "$src" -B "$src/build-web" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_FIND_ROOT_PATH="$PREFIX" "$@" \
    >"$src/configure.log" 2>&1 || { tail -30 "$src/configure.log"; exit 1; }
  cmake --build "$src/build-web" -j "$JOBS" >"$src/build.log" 2>&1 || { tail -30 "$src/build.log"; exit 1; }
  cmake --install "$src/build-web" >"$src/install.log"
}

# Emscripten's pkg-config looks in its own sysroot and in EM_PKG_CONFIG_PATH.
export EM_PKG_CONFIG_PATH=$PREFIX/lib/pkgconfig PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
unset PKG_CONFIG_PATH

build_zlib emcc emar -DHAVE_UNISTD_H
ZLIB=(-DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include")

echo "libpng ${VERSION[libpng-dev]}"
cmake_lib "${SOURCE[libpng-dev]}" -Wno-dev -DPNG_TESTS=OFF -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF \
  -DPNG_HARDWARE_OPTIMIZATIONS=OFF "${ZLIB[@]}"

# TrueType outlines only; our zlib, or FreeType's bundled copy clashes with it at link.
echo "freetype ${VERSION[libfreetype-dev]}"
cmake_lib freetype -Wno-dev -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON "${ZLIB[@]}"

echo "SDL2 ${VERSION[libsdl2-dev]}"
cmake_lib "${SOURCE[libsdl2-dev]}" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

echo "SDL2_ttf ${VERSION[libsdl2-ttf-dev]}"
cmake_lib "${SOURCE[libsdl2-ttf-dev]}" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF

# Samples are played from memory: no codec beyond the built-in WAV reader.
echo "SDL2_mixer ${VERSION[libsdl2-mixer-dev]}"
cmake_lib "${SOURCE[libsdl2-mixer-dev]}" -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_WAVE=ON

build_tiled_libraries cmake_lib

finish_debian_libraries
echo "web libraries built in $PREFIX"
