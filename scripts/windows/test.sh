#!/usr/bin/env bash
# `make test-windows`: the unit-test programs cross-built and run headless
# under Wine, then zorta.exe from the package end to end under Wine on a
# private X server. Wine runs in a fresh prefix in the build folder.
# Usage: scripts/windows/test.sh [BUILD_DIR]   (default build-win)
set -euo pipefail

TOP=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(realpath -m "${1:-$TOP/build-win}")
# Every floor's tests: they all build and run in seconds under Wine.
TESTS=(platform io base input sfx display image gui world app)
# Tests that need Linux-only tools, or test the Linux stand-in's own
# emulation of Windows file names, which Windows does itself:
EXCLUDED=(
  # ImageMagick and netpbm make or read their files; they run only on Linux.
  Formats.BmpFromImageMagickMatchesItsOwnReading
  Formats.TgaFromImageMagickMatchesItsOwnReading
  Formats.IlbmFromPpmtoilbmMatchesTheSource
  Formats.IlbmHoldAndModifyMatchesIlbmtoppm
  Formats.IlbmExtraHalfBriteMatchesIlbmtoppm
  Formats.IlbmVariantsWithoutALayoutAreRefused
  Formats.MemoryAndFileHandlesReadAlike
  Variants.BmpFromImageMagickAtEveryDepthAndHeader
  Variants.FourBitChannelsReachFullScale
  Variants.BmpBuiltByteByByteReadsAsImageMagickReadsIt
  Variants.ChannelsWiderThanAByteReachFullScale
  Variants.PngOfEveryColourTypeAndDepth
  Variants.PalettePngKeysEveryTransparentEntryThroughOneIndex
  Variants.BrokenPngsEndInAMessage
  Variants.FilesFromDebianPackages
  Variants.TheTableReadsTheNewFormatsAfterTheFourOthers
  Surfaces.SpritesCutAPictureOfAnySizeIntoItsCells
  # Named pipes among a folder's files exist only on POSIX systems.
  UserSounds.OnlyRegularFilesAreReadAndAFileThatBecomesReadableIsRead
  # zorta-tool is built for Linux only.
  'Tool.*'
  'MapTool.*'
  # The letter-case lookup of HostPath on Linux (twins such as a.txt and
  # A.txt, only ASCII letters folding); on Windows the file system decides.
  WindowsNames.FileOpenTakesBackslashesAndAnyLetterCase
  WindowsNames.ExactNamesFirstThenTheFirstInByteOrder
  WindowsNames.WritingFindsTheFolderAndAnExistingFile
)

# Every program the Windows scripts call comes from a package that
# scripts/deps or scripts/deps-windows installs (both have run by now).
mkdir -p "$BUILD"
if ! python3 "$TOP/tests/tools/deps_listed.py" --windows "$TOP" >"$BUILD/deps-listed.txt"; then
  grep FAIL "$BUILD/deps-listed.txt"
  exit 1
fi
tail -n 1 "$BUILD/deps-listed.txt"

bash "$TOP/scripts/windows/build.sh" "$BUILD" zorta "${TESTS[@]/#/test_}"
# zorta.exe's icon, version and manifest, and what the package tells a user
# about writing sounds.
python3 "$TOP/tests/windows/package.py" "$TOP" "$BUILD/dist/zorta-win64"
PREFIX=$(realpath "$BUILD/deps/current")
BIN=$BUILD/cmake/tests
bash "$TOP/scripts/windows/dlls.sh" "$PREFIX" "$BIN"/test_*.exe | while read -r dll; do cp "$dll" "$BIN/"; done

# A fresh Wine prefix, without Mono and Gecko (nothing here needs them, and
# their installers would ask on screen). No X server for the unit tests.
export WINEPREFIX=$BUILD/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
start=$(date +%s)
env -u DISPLAY wineboot -i >/dev/null 2>&1
wineserver -w
echo "Wine prefix ready in $(($(date +%s) - start)) s"

filter="-$(IFS=:; echo "${EXCLUDED[*]}")"
LOGS=$BUILD/test-logs
mkdir -p "$LOGS"
failed=0
total=0
for t in "${TESTS[@]}"; do
  log=$LOGS/test_$t.txt
  if (cd "$BIN" && env -u DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        timeout 600 wine "./test_$t.exe" --gtest_filter="$filter" >"$log" 2>&1); then
    passed=$(tr -d '\r' <"$log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\./\1/p')
    skipped=$(tr -d '\r' <"$log" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:/\1/p')
    echo "test_$t.exe: ${passed:-0} passed${skipped:+, $skipped skipped}"
    total=$((total + ${passed:-0}))
  else
    echo "test_$t.exe FAILED:"
    tr -d '\r' <"$log" | grep -E '^\[  FAILED  \]|Failure' -A4 | head -60
    failed=1
  fi
done
echo "$total tests passed under Wine, ${#EXCLUDED[@]} patterns excluded"
[ "$failed" = 0 ] || exit 1
# The bank built with MinGW's C library is the one pinned for Linux.
tr -d '\r' <"$LOGS/test_sfx.txt" | grep -q '^\[       OK \] BankTest.ChecksumPerSlot' ||
  { echo "the bank's checksums were not checked under Wine"; exit 1; }
echo "the sound bank under Wine: all 89 slots match the checksums pinned on Linux"

# The headless runs' Wine server ends before the X server's turn.
wineserver -k 2>/dev/null || true
wineserver -w
bash "$TOP/tests/windows/e2e.sh" "$BUILD/dist/zorta-win64" "$WINEPREFIX"
wineserver -k 2>/dev/null || true
