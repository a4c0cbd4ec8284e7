# Sourced by the cross-builds' library scripts: fetches and unpacks into
# $WORK/src Debian's source package of each Linux -dev package in
# DEV_PACKAGES, at the installed version, without touching the system's apt
# configuration. Reads DEV_PACKAGES, SOURCE and VERSION (filled by
# debian_source_versions); sets VERSION to the revisions fetched. The
# libraries are kept in $BUILD/deps/KEY, KEY a hash of their versions and of
# what builds them.

debian_source_versions() {
  local dev src ver
  for dev in "${DEV_PACKAGES[@]}"; do
    read -r src ver < <(dpkg-query -W -f='${source:Package} ${source:Version}\n' "$dev")
    SOURCE[$dev]=$src
    VERSION[$dev]=$ver
  done
}

# Sets PREFIX and WORK. 0 when the libraries of this key are there, complete
# ($BUILD/deps/current then points at them); else 1 with PREFIX and WORK
# made afresh. The arguments are what else makes the libraries what they are
# (the building script, the toolchain), to go into the key with this file.
debian_libraries_ready() {
  local dev key
  key=$( { for dev in "${DEV_PACKAGES[@]}"; do echo "${SOURCE[$dev]}=${VERSION[$dev]}"; done
           cat "${BASH_SOURCE[0]}"; printf '%s\n' "$@"; } | sha256sum | cut -c1-16)
  PREFIX=$BUILD/deps/$key
  WORK=$BUILD/deps-work
  if [ -f "$PREFIX/.done" ]; then
    ln -sfn "$key" "$BUILD/deps/current"
    return 0
  fi
  rm -rf "$WORK" "$PREFIX"
  mkdir -p "$WORK" "$PREFIX"
  return 1
}

fetch_debian_sources() {
  mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/src"
  # A private source list beside the system's own: the Debian archives the
  # system installs from, as deb-src.
  local f dev v up want got dsc fetched
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    grep -q 'debian' "$f" || continue
    sed 's/^Types:.*/Types: deb-src/' "$f" >"$WORK/apt/$(basename "$f")"
  done
  if [ -f /etc/apt/sources.list ]; then
    { grep -E '^deb .*debian' /etc/apt/sources.list || true; } | sed 's/^deb /deb-src /' >"$WORK/apt/system.list"
  fi
  local APT=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$WORK/apt" -o Dir::State::Lists="$WORK/apt/lists"
       -o Dir::Cache="$WORK/apt/cache")
  # As root, apt would hand the download to its own user, who cannot write here.
  [ "$(id -u)" -ne 0 ] || APT+=(-o APT::Sandbox::User=root)
  apt-get "${APT[@]}" update -qq
  (
    cd "$WORK/src"
    for dev in "${DEV_PACKAGES[@]}"; do
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
      echo "$dev $fetched" >>"$WORK/fetched"
      dpkg-source --no-check -x "$dsc" "${SOURCE[$dev]}" >/dev/null
    done
  )
  while read -r dev fetched; do VERSION[$dev]=$fetched; done <"$WORK/fetched"
}

# zlib as a static library, compiled directly (Debian's source leaves out the
# Windows makefile and resource file its own build scripts want), into
# $PREFIX with its zlib.pc. Run from $WORK/src. Arguments: the C compiler and
# archiver commands, then the compiler's flags.
build_zlib() {
  local cc=$1 ar=$2 c
  shift 2
  echo "zlib ${VERSION[zlib1g-dev]}"
  mkdir -p zlib/build-cross "$PREFIX/include" "$PREFIX/lib/pkgconfig"
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
           uncompr zutil; do
    $cc -O2 "$@" -c "zlib/$c.c" -o "zlib/build-cross/$c.o" 2>>zlib.log
  done
  $ar rcs "$PREFIX/lib/libz.a" zlib/build-cross/*.o
  cp zlib/zlib.h zlib/zconf.h "$PREFIX/include/"
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
}

# The libraries the world floor reads Tiled maps with, static: pugixml (XML),
# zstd (decompression only, one thread) and nlohmann-json (headers). Arguments:
# the function that builds a CMake project (source folder, then options).
build_tiled_libraries() {
  local cmake_lib=$1
  echo "pugixml ${VERSION[libpugixml-dev]}"
  $cmake_lib "${SOURCE[libpugixml-dev]}" -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF
  echo "zstd ${VERSION[libzstd-dev]}"
  $cmake_lib "${SOURCE[libzstd-dev]}/build/cmake" -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF \
    -DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON -DZSTD_MULTITHREAD_SUPPORT=OFF -DZSTD_LEGACY_SUPPORT=OFF
  echo "nlohmann-json ${VERSION[nlohmann-json3-dev]}"
  $cmake_lib "${SOURCE[nlohmann-json3-dev]}" -DJSON_BuildTests=OFF -DJSON_Install=ON
}

# Run from $WORK/src once the libraries are built: their licences into
# $PREFIX/licenses, their versions into $PREFIX/VERSIONS, the prefix marked
# complete as $BUILD/deps/current, and the libraries of other versions and
# the sources removed.
finish_debian_libraries() {
  local dev old
  mkdir -p "$PREFIX/licenses"
  cp zlib/README "$PREFIX/licenses/zlib.txt"
  cp "${SOURCE[libpng-dev]}/LICENSE" "$PREFIX/licenses/libpng.txt"
  cp freetype/docs/FTL.TXT "$PREFIX/licenses/FreeType.txt"
  cp "${SOURCE[libsdl2-dev]}/LICENSE.txt" "$PREFIX/licenses/SDL2.txt"
  cp "${SOURCE[libsdl2-mixer-dev]}/LICENSE.txt" "$PREFIX/licenses/SDL2_mixer.txt"
  cp "${SOURCE[libpugixml-dev]}/LICENSE.md" "$PREFIX/licenses/pugixml.txt"
  cp "${SOURCE[libzstd-dev]}/LICENSE" "$PREFIX/licenses/zstd.txt"
  cp "${SOURCE[nlohmann-json3-dev]}/LICENSE.MIT" "$PREFIX/licenses/nlohmann-json.txt"
  cp "${SOURCE[libsdl2-ttf-dev]}/LICENSE.txt" "$PREFIX/licenses/SDL2_ttf.txt"
  for dev in "${DEV_PACKAGES[@]}"; do echo "${SOURCE[$dev]} ${VERSION[$dev]}"; done >"$PREFIX/VERSIONS"
  touch "$PREFIX/.done"
  ln -sfn "$(basename "$PREFIX")" "$BUILD/deps/current"
  for old in "$BUILD/deps"/*; do
    [ -L "$old" ] || [ "$old" = "$PREFIX" ] || rm -rf "$old"
  done
  rm -rf "$WORK"
}
