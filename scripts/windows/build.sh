#!/usr/bin/env bash
# `make windows`: the cross-built libraries (cached by version), zorta.exe from
# the same sources as the Linux program, and the package: BUILD/dist/zorta-win64/
# and BUILD/dist/zorta-win64.zip.
# Usage: scripts/windows/build.sh [BUILD_DIR [TARGET...]]   (default build-win, zorta)
set -euo pipefail

TOP=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-win}")
shift || true
TARGETS=("${@:-zorta}")
JOBS=${JOBS:-2}
HOST=x86_64-w64-mingw32

bash "$TOP/scripts/windows/build-deps.sh" "$BUILD"
PREFIX=$(realpath "$BUILD/deps/current")
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
unset PKG_CONFIG_PATH

# Configured again when the libraries were rebuilt (their prefix is new).
if ! grep -qs "^CMAKE_PREFIX_PATH:.*=$PREFIX\$" "$BUILD/cmake/CMakeCache.txt"; then
  launcher=()
  if type -P ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$TOP" -B "$BUILD/cmake" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$PREFIX" -DZORTA_TOOLS=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$BUILD/cmake" -j "$JOBS" --target "${TARGETS[@]}"

if [[ " ${TARGETS[*]} " == *" zorta "* ]]; then
  DIST=$BUILD/dist/zorta-win64
  rm -rf "$DIST" "$DIST.zip"
  mkdir -p "$DIST/Maps" "$DIST/TileSets" "$DIST/Sounds" "$DIST/licenses"
  $HOST-strip -o "$DIST/zorta.exe" "$BUILD/cmake/zorta.exe"
  bash "$TOP/scripts/windows/dlls.sh" "$PREFIX" "$BUILD/cmake/zorta.exe" | while read -r dll; do cp "$dll" "$DIST/"; done
  # The built-in recipes are compiled into the program and stay behind.
  (cd "$TOP/data" && find . -mindepth 1 -maxdepth 1 ! -name recipes -exec cp -r {} "$DIST/" \;)
  cp "$BUILD/cmake/DejaVuSans.ttf" "$DIST/"
  cp "$PREFIX/licenses/"* "$DIST/licenses/"
  cp /usr/share/doc/fonts-dejavu-core/copyright "$DIST/licenses/DejaVu-fonts.txt"
  sed 's/$/\r/' "$TOP/scripts/windows/README.txt" >"$DIST/README.txt"
  # The recipe guide as a text file Notepad opens, UTF-8 marked as such; the
  # example recipes, with Windows line ends as Notepad saves them.
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$TOP/docs/RECIPES.md"; } >"$DIST/RECIPES.txt"
  for f in "$TOP"/packaging/windows/Sounds/*.txt; do sed 's/$/\r/' "$f" >"$DIST/Sounds/$(basename "$f")"; done
  (cd "$BUILD/dist" && zip -qr zorta-win64.zip zorta-win64)
  echo "$(file -b "$DIST/zorta.exe" | cut -d, -f1): $DIST/zorta.exe"
  echo "package: $DIST.zip ($(du -k "$DIST.zip" | cut -f1) KiB)"
fi
