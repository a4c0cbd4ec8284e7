#!/usr/bin/env bash
# `make test-web`: the sound bank of the WebAssembly build under Node, checked
# against the checksums pinned on Linux; then the page in headless Chromium,
# driven by puppeteer-core (installed into the build folder) against the
# built pages served on localhost; the game's replays against the desktop
# game's lines for them (NATIVE_BUILD, default build).
# Usage: scripts/web/test.sh [BUILD_DIR]   (default build-web)
set -euo pipefail

TOP=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-web}")
PUPPETEER_VERSION=24.10.2

# Every program the web scripts call comes from a package that scripts/deps
# or scripts/deps-web installs (both have run by now).
mkdir -p "$BUILD"
if ! python3 "$TOP/tests/tools/deps_listed.py" --web "$TOP" >"$BUILD/deps-listed.txt"; then
  grep FAIL "$BUILD/deps-listed.txt"
  exit 1
fi
tail -n 1 "$BUILD/deps-listed.txt"

bash "$TOP/scripts/web/build.sh" "$BUILD" zorta zorta-game test_sfx
# The bank built with Emscripten's C library is the one pinned for Linux.
# The sound floor's tests, but those that need a second thread (a page has
# one: users' sounds are built on the frame's) or a named pipe.
EXCLUDED=(
  UserSounds.ASoundPlayingWhenItsFileChangesIsStoppedAndFreedSafely
  UserSounds.AFileIsBuiltOffTheFrameWhileFramesAndOtherSlotsGoOn
  UserSounds.ForgettingStopsTheBuilderMidBuildAndInstallsNothing
  UserSounds.OnlyRegularFilesAreReadAndAFileThatBecomesReadableIsRead
)
filter="-$(IFS=:; echo "${EXCLUDED[*]}")"
LOGS=$BUILD/test-logs
mkdir -p "$LOGS"
if ! (cd "$BUILD/cmake/tests" && node test_sfx.js --gtest_filter="$filter" >"$LOGS/test_sfx.txt" 2>&1); then
  grep -E '^\[  FAILED  \]|Failure' -A4 "$LOGS/test_sfx.txt" | head -60 | cut -c1-300
  exit 1
fi
grep -q '^\[       OK \] BankTest.ChecksumPerSlot' "$LOGS/test_sfx.txt" ||
  { echo "the bank's checksums were not checked under Node"; exit 1; }
echo "test_sfx.js: $(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p' "$LOGS/test_sfx.txt") passed under Node, ${#EXCLUDED[@]} excluded"
echo "the sound bank in WebAssembly: all 89 slots match the checksums pinned on Linux"

NODE_DIR=$BUILD/node
if ! grep -qs "\"version\": \"$PUPPETEER_VERSION\"" "$NODE_DIR/node_modules/puppeteer-core/package.json"; then
  mkdir -p "$NODE_DIR"
  npm install --prefix "$NODE_DIR" --no-audit --no-fund --no-save "puppeteer-core@$PUPPETEER_VERSION" >/dev/null
fi
# Each recorded replay's line from the desktop game, for the page to match.
NATIVE=$(realpath -m "${NATIVE_BUILD:-$TOP/build}")
cmake --build "$NATIVE" -j "${JOBS:-2}" --target zorta-game >/dev/null
work=$(mktemp -d /tmp/zorta-web-replays-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$NATIVE/game-run/Maps" "$NATIVE/game-run/TileSets" "$work/"
for replay in "$TOP"/game/replays/*.rpl; do
  line=$("$NATIVE/zorta-game" --data "$work" --replay "$replay" 2>/dev/null)
  echo "$(basename "$replay"): $line"
done >"$BUILD/replays-desktop.txt"
NODE_PATH=$NODE_DIR/node_modules node "$TOP/tests/web/page.js" "$BUILD/dist" "$BUILD" "$BUILD/replays-desktop.txt"
