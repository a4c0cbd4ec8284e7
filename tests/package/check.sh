#!/usr/bin/env bash
# The framework as a game uses it, installed from this build into a scratch
# prefix:
#   tree          only the public headers and the product libraries installed,
#                 with the CMake package and zorta.pc
#   find_package  examples/hello-sprite as a project of its own against the
#                 prefix builds, and runs headless
#   subdirectory  a game's project holding the sources with add_subdirectory
#                 builds the example, and none of the tests, tools or demo
#   pkgconfig     the example's main.cpp built with c++ and pkg-config's flags
# usage: check.sh MODE SOURCE_DIR BUILD_DIR
set -u
MODE=$1
SRC=$(cd "$2" && pwd)
BUILD=$(cd "$3" && pwd)
EXAMPLE=$SRC/examples/hello-sprite
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# A failed configure's first errors, where the cause is.
errors() { grep -A4 "CMake Error" "$1" | head -30; }
skip() { echo "SKIP: $*"; exit 77; }

P=$WORK/prefix
cmake --install "$BUILD" --prefix "$P" > "$WORK/install.log" 2>&1 || fail "cmake --install: $(tail -5 "$WORK/install.log")"

# The nested builds share compiled objects between runs through ccache, with
# the build's own configuration; the folders differ from run to run.
LIBDIR=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$BUILD/CMakeCache.txt")
BUILD_TYPE=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$BUILD/CMakeCache.txt")
CMAKE_ARGS=(-DCMAKE_BUILD_TYPE="$BUILD_TYPE")
CXX_CMD=(c++)
if command -v ccache > /dev/null; then
  CMAKE_ARGS+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  CXX_CMD=(ccache c++)
  export CCACHE_NOHASHDIR=true
  unset CCACHE_BASEDIR
fi

# The example runs headless for 60 frames in the folder it was built in.
run_example() {
  local dir=$1
  [ -f "$dir/hero.png" ] || cp "$EXAMPLE/hero.png" "$dir/" 2> /dev/null
  (cd "$dir" && timeout 60 ./hello-sprite --headless --frames 60 > "$WORK/run.log" 2>&1) \
    || fail "hello-sprite --headless --frames 60 in $dir: $(tail -5 "$WORK/run.log")"
}

example_wanted() {
  [ -f "$EXAMPLE/main.cpp" ] || skip "examples/hello-sprite has no main.cpp to build"
}

case $MODE in
tree)
  # Headers: the public ones only, nothing of src/.
  stray=$(cd "$P" && find . -name '*.h' -not -path './include/zorta/*')
  [ -z "$stray" ] || fail "headers outside include/zorta: $stray"
  headers=("$SRC"/include/zorta/*.h)
  [ -f "${headers[0]}" ] || headers=()
  for h in "${headers[@]}"; do
    cmp -s "$h" "$P/include/zorta/$(basename "$h")" || fail "include/zorta/$(basename "$h") not installed as it is"
  done
  # Libraries: every floor's, the product build of the platform only.
  for room in $(awk '/^[0-9]/ { print $2 }' "$SRC/src/floors.txt"); do
    [ -f "$P/$LIBDIR/libzorta_$room.a" ] || fail "$LIBDIR/libzorta_$room.a not installed"
  done
  testing=$(cd "$P" && find . -name '*testing*' -o -name '*gtest*' -o -name 'libzorta_tool*' -o -name 'libzorta_game*')
  [ -z "$testing" ] || fail "test or program libraries installed: $testing"
  for f in $LIBDIR/cmake/Zorta/ZortaConfig.cmake $LIBDIR/cmake/Zorta/ZortaConfigVersion.cmake \
           $LIBDIR/cmake/Zorta/ZortaTargets.cmake $LIBDIR/pkgconfig/zorta.pc; do
    [ -f "$P/$f" ] || fail "$f not installed"
  done
  ! grep -q "$SRC\|$BUILD" "$P/$LIBDIR"/cmake/Zorta/*.cmake "$P/$LIBDIR/pkgconfig/zorta.pc" \
    || fail "the package names the source or build folder"
  [ ${#headers[@]} -gt 0 ] || skip "no public headers in include/zorta to install; the rest of the tree is right"
  echo "install tree: ok (${#headers[@]} public headers)"
  ;;
find_package)
  example_wanted
  cmake -S "$EXAMPLE" -B "$WORK/example" -DCMAKE_PREFIX_PATH="$P" "${CMAKE_ARGS[@]}" \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON > "$WORK/configure.log" 2>&1 \
    || fail "configure against the prefix: $(errors "$WORK/configure.log")"
  cmake --build "$WORK/example" -j 2 > "$WORK/build.log" 2>&1 || fail "build: $(tail -30 "$WORK/build.log")"
  # The installed headers, not the source tree's.
  grep -q -- "$P/include" "$WORK/example/compile_commands.json" || fail "not compiled against $P/include"
  ! grep -Eq -- "-I *$SRC/|-isystem *$SRC/" "$WORK/example/compile_commands.json" || fail "compiled against the source tree"
  run_example "$WORK/example"
  echo "find_package(Zorta): ok"
  ;;
subdirectory)
  example_wanted
  mkdir -p "$WORK/game"
  cat > "$WORK/game/CMakeLists.txt" << END
cmake_minimum_required(VERSION 3.16)
project(game LANGUAGES C CXX)
add_subdirectory("$SRC" zorta)
add_subdirectory("$EXAMPLE" hello-sprite)
END
  # As on a machine without the tests' and the tool's libraries (the world
  # floor reads Tiled's JSON maps with nlohmann-json's headers: that one stays).
  cmake -S "$WORK/game" -B "$WORK/game/build" "${CMAKE_ARGS[@]}" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON > "$WORK/configure.log" 2>&1 \
    || fail "configure with add_subdirectory: $(errors "$WORK/configure.log")"
  targets=$(cmake --build "$WORK/game/build" --target help 2> /dev/null)
  for t in test_io zorta-tool zorta-game bench_sound; do
    ! grep -qx "\.\.\. $t" <<< "$targets" || fail "a game's build has the target $t"
  done
  cmake --build "$WORK/game/build" -j 2 > "$WORK/build.log" 2>&1 || fail "build: $(tail -30 "$WORK/build.log")"
  [ ! -e "$WORK/game/build/zorta/zorta" ] && [ ! -e "$WORK/game/build/zorta/run" ] \
    || fail "a game's build built the demo or its run folder"
  run_example "$WORK/game/build/hello-sprite"
  echo "add_subdirectory: ok"
  ;;
pkgconfig)
  example_wanted
  export PKG_CONFIG_PATH=$P/$LIBDIR/pkgconfig
  flags=$(pkg-config --cflags --libs zorta) || fail "pkg-config zorta"
  mkdir -p "$WORK/example"
  # shellcheck disable=SC2086
  "${CXX_CMD[@]}" -std=c++17 -o "$WORK/example/hello-sprite" "$EXAMPLE/main.cpp" $flags > "$WORK/build.log" 2>&1 \
    || fail "c++ main.cpp \$(pkg-config --cflags --libs zorta): $(tail -30 "$WORK/build.log")"
  run_example "$WORK/example"
  echo "pkg-config zorta: ok"
  ;;
*)
  fail "unknown mode $MODE"
  ;;
esac
