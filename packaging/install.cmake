# `cmake --install` / `make install`: the framework (public headers, the
# floors' static libraries, the CMake package Zorta and zorta.pc); zorta-tool
# in bin/; the demo and the example game each in a folder of their own with a
# launcher in bin/ (a program needs a writable working folder holding Maps/
# and TileSets/, which the launcher makes under ~/.local/share); the data
# folders, a menu entry and an icon.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(ZORTA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/zorta)
set(ZORTA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zorta)

# The framework. Only the public headers are installed: the floors' own
# headers stay in src/, and the platform's test build stays behind.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/zorta DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")
target_include_directories(zorta_platform INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set(ZORTA_LIBRARIES)
foreach(room ${ZORTA_FLOORS})
  list(APPEND ZORTA_LIBRARIES zorta_${room})
endforeach()
install(TARGETS ${ZORTA_LIBRARIES} zorta_libpng zorta_framework EXPORT ZortaTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT ZortaTargets NAMESPACE Zorta:: DESTINATION ${ZORTA_CMAKE_DIR})
# The outside libraries the exported targets name, found again by the
# package: the same pkg-config modules the build used.
set(ZORTA_PC_MODULES "SDL2 sdl2" "SDL2_MIXER SDL2_mixer" "SDL2_TTF SDL2_ttf" "PNG libpng" "PUGIXML pugixml" "ZSTD libzstd"
    "ZLIB zlib")
if(NOT WIN32)
  list(APPEND ZORTA_PC_MODULES "FONTCONFIG fontconfig")
endif()
if(X11_FOUND)
  list(APPEND ZORTA_PC_MODULES "X11 x11")
endif()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZortaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/packaging/ZortaConfig.cmake INSTALL_DESTINATION ${ZORTA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/packaging/ZortaConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/packaging/ZortaConfig.cmake ${PROJECT_BINARY_DIR}/packaging/ZortaConfigVersion.cmake
        DESTINATION ${ZORTA_CMAKE_DIR})

# zorta.pc: the libraries from the top floor down, as a static link wants
# them; the outside libraries as required modules, whose flags come with them.
set(ZORTA_PC_LIBS)
foreach(room ${ZORTA_FLOORS})
  string(PREPEND ZORTA_PC_LIBS "-lzorta_${room} ")
endforeach()
set(ZORTA_PC_REQUIRES)
foreach(pair ${ZORTA_PC_MODULES})
  string(REGEX REPLACE "^[^ ]+ " "" module "${pair}")
  list(APPEND ZORTA_PC_REQUIRES ${module})
endforeach()
string(REPLACE ";" " " ZORTA_PC_REQUIRES "${ZORTA_PC_REQUIRES}")
# The prefix relative to the .pc file, so an installation can be moved.
file(RELATIVE_PATH ZORTA_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ZORTA_PC_PREFIX "${ZORTA_PC_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/zorta.pc.in ${PROJECT_BINARY_DIR}/packaging/zorta.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/zorta.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(ZORTA_TOOLS)
  install(TARGETS zorta-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# LAUNCHER in bin/ for PROGRAM, installed in the programs' folder, with DATA
# (a folder under share/) as its Maps/ and TileSets/; HOME_VARIABLE names the
# environment variable that moves its working folder; LAUNCH is the launcher's
# last line.
function(zorta_install_launched program data home_variable launch)
  install(TARGETS ${program} RUNTIME DESTINATION ${ZORTA_PROGRAM_DIR})
  # The launcher finds the program and the data relative to itself, so an
  # installation can be moved or installed with another --prefix.
  set(ZORTA_LAUNCHED ${program})
  set(ZORTA_HOME_VARIABLE ${home_variable})
  set(ZORTA_LAUNCH "${launch}")
  file(RELATIVE_PATH ZORTA_PROGRAM_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
       ${CMAKE_INSTALL_FULL_LIBEXECDIR}/zorta/${program})
  file(RELATIVE_PATH ZORTA_DATA_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/${data})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/zorta-launcher.sh.in ${PROJECT_BINARY_DIR}/packaging/${program} @ONLY)
  install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY DESTINATION ${CMAKE_INSTALL_DATADIR}/${data}/Maps)
  install(DIRECTORY DESTINATION ${CMAKE_INSTALL_DATADIR}/${data}/TileSets)
endfunction()

if(ZORTA_DEMO)
  zorta_install_launched(zorta zorta ZORTA_HOME "cd \"$work\"\nexec \"$program\"")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zorta OPTIONAL
          PATTERN recipes EXCLUDE)

  # The menu entry names the launcher by its full path, known only when
  # installing (the prefix may be given then).
  if(IS_ABSOLUTE ${CMAKE_INSTALL_BINDIR})
    set(ZORTA_LAUNCHER_AT_INSTALL ${CMAKE_INSTALL_BINDIR}/zorta)
  else()
    set(ZORTA_LAUNCHER_AT_INSTALL "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorta")
  endif()
  install(CODE "
    set(ZORTA_LAUNCHER \"${ZORTA_LAUNCHER_AT_INSTALL}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/packaging/zorta.desktop.in\" \"${PROJECT_BINARY_DIR}/packaging/zorta.desktop\" @ONLY)
  ")
  install(FILES ${PROJECT_BINARY_DIR}/packaging/zorta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/zorta.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

if(TARGET zorta-game)
  # The game enters its folder itself (--data), after reading the paths the
  # caller gave relative to where it was started.
  zorta_install_launched(zorta-game zorta-game ZORTA_GAME_HOME "exec \"$program\" --data \"$work\" \"$@\"")
  install(DIRECTORY ${ZORTA_GAME_RUN}/Maps ${ZORTA_GAME_RUN}/TileSets DESTINATION ${CMAKE_INSTALL_DATADIR}/zorta-game)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/LIBRARY.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# `cpack` (or the `package` target) makes a .tar.gz and a .deb of the same
# files; only for Zorta's own build, not a game's that holds it.
if(ZORTA_IS_TOP)
  set(CPACK_PACKAGE_NAME zorta)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Procedural sound-effects demo, its command-line companion and its game framework")
  set(CPACK_PACKAGE_CONTACT "Zorta developers <zorta@localhost>")
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libsdl2-ttf-2.0-0, libfontconfig1")
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CMAKE_SYSTEM_NAME})
  include(CPack)
endif()
