#!/usr/bin/env bash
# `make web`: the cross-built libraries (cached by version), the demo as a web
# page from the same sources as the Linux program, and the package:
# BUILD/dist/ (index.html, zorta.js, .wasm, .data, the game's game.html and
# zorta-game.js, .wasm, .data, licences) and BUILD/zorta-web.zip.
# Usage: scripts/web/build.sh [BUILD_DIR [TARGET...]]   (default build-web, zorta zorta-game)
# The game's levels are made by the desktop build's zorta-tool (NATIVE_BUILD,
# default build), built there first.
set -euo pipefail

TOP=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-web}")
shift || true
TARGETS=("${@:-zorta}")
[ $# -gt 0 ] || TARGETS=(zorta zorta-game)
JOBS=${JOBS:-2}
# Debian's acorn, which optimised links need, is where this Node may not look.
export NODE_PATH=/usr/share/nodejs

bash "$TOP/scripts/web/build-deps.sh" "$BUILD"
PREFIX=$(realpath "$BUILD/deps/current")
export EM_PKG_CONFIG_PATH=$PREFIX/lib/pkgconfig PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
unset PKG_CONFIG_PATH

NATIVE=$(realpath -m "${NATIVE_BUILD:-$TOP/build}")
HOST_TOOL=$NATIVE/zorta-tool
if [[ " ${TARGETS[*]} " == *" zorta-game "* ]]; then
  [ -f "$NATIVE/CMakeCache.txt" ] || cmake -S "$TOP" -B "$NATIVE" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$NATIVE" -j "$JOBS" --target zorta-tool
fi

# Configured again when the libraries were rebuilt (their prefix is new), when
# the desktop tool moved, or when configuring failed last time.
if ! grep -qs "^CMAKE_PREFIX_PATH:.*=$PREFIX\$" "$BUILD/cmake/CMakeCache.txt" ||
   ! grep -qs "^ZORTA_HOST_TOOL:.*=$HOST_TOOL\$" "$BUILD/cmake/CMakeCache.txt" || [ ! -f "$BUILD/cmake/Makefile" ]; then
  launcher=()
  if type -P ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  # A fresh cache: pkg-config's answers are cached with the old prefix's paths.
  rm -f "$BUILD/cmake/CMakeCache.txt"
  emcmake cmake -S "$TOP" -B "$BUILD/cmake" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DCMAKE_FIND_ROOT_PATH="$PREFIX" -DZORTA_TOOLS=OFF -DZORTA_INSTALL=OFF -DZORTA_HOST_TOOL:FILEPATH="$HOST_TOOL" "${launcher[@]}" >/dev/null
fi
cmake --build "$BUILD/cmake" -j "$JOBS" --target "${TARGETS[@]}"

if [[ " ${TARGETS[*]} " == *" zorta "* ]]; then
  DIST=$BUILD/dist
  rm -rf "$DIST" "$BUILD/zorta-web.zip"
  mkdir -p "$DIST/licenses"
  cp "$TOP/packaging/web/index.html" "$TOP/packaging/web/fit.js" "$DIST/"
  for program in zorta zorta-game; do
    [[ " ${TARGETS[*]} " == *" $program "* ]] || continue
    cp "$BUILD/cmake/$program.js" "$BUILD/cmake/$program.wasm" "$BUILD/cmake/$program.data" "$DIST/"
  done
  [[ " ${TARGETS[*]} " != *" zorta-game "* ]] || cp "$TOP/packaging/web/game.html" "$DIST/"
  cp "$PREFIX/licenses/"* "$DIST/licenses/"
  cp /usr/share/doc/fonts-dejavu-core/copyright "$DIST/licenses/DejaVu-fonts.txt"
  (cd "$DIST" && zip -qr ../zorta-web.zip .)
  echo "page: $DIST ($(du -sk "$DIST" | cut -f1) KiB), package: $BUILD/zorta-web.zip"
fi
