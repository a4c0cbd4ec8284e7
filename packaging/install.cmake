# `cmake --install` / `make install`: zorta-tool in bin/; the program in a
# folder of its own with `zorta` in bin/ as its launcher (the program needs a
# writable working folder holding Maps/ and TileSets/, which the launcher
# makes under ~/.local/share/zorta); the data folders, a menu entry and an icon.
include(GNUInstallDirs)
set(ZORTA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/zorta)
set(ZORTA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/zorta)

if(ZORTA_TOOLS)
  install(TARGETS zorta-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS zorta RUNTIME DESTINATION ${ZORTA_PROGRAM_DIR})

# The launcher finds the program and the data relative to itself, so an
# installation can be moved or installed with another --prefix.
file(RELATIVE_PATH ZORTA_PROGRAM_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/zorta/zorta)
file(RELATIVE_PATH ZORTA_DATA_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zorta)
configure_file(${CMAKE_SOURCE_DIR}/packaging/zorta-launcher.sh.in ${CMAKE_BINARY_DIR}/packaging/zorta @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/zorta DESTINATION ${CMAKE_INSTALL_BINDIR})

install(DIRECTORY DESTINATION ${ZORTA_DATA_DIR}/Maps)
install(DIRECTORY DESTINATION ${ZORTA_DATA_DIR}/TileSets)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${ZORTA_DATA_DIR} OPTIONAL PATTERN recipes EXCLUDE)

# The menu entry names the launcher by its full path, known only when
# installing (the prefix may be given then).
if(IS_ABSOLUTE ${CMAKE_INSTALL_BINDIR})
  set(ZORTA_LAUNCHER_AT_INSTALL ${CMAKE_INSTALL_BINDIR}/zorta)
else()
  set(ZORTA_LAUNCHER_AT_INSTALL "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorta")
endif()
install(CODE "
  set(ZORTA_LAUNCHER \"${ZORTA_LAUNCHER_AT_INSTALL}\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/zorta.desktop.in\" \"${CMAKE_BINARY_DIR}/packaging/zorta.desktop\" @ONLY)
")
install(FILES ${CMAKE_BINARY_DIR}/packaging/zorta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zorta.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# `cpack` (or the `package` target) makes a .tar.gz and a .deb of the same files.
set(CPACK_PACKAGE_NAME zorta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Procedural sound-effects demo and its command-line companion")
set(CPACK_PACKAGE_CONTACT "Zorta developers <zorta@localhost>")
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libsdl2-ttf-2.0-0, libfontconfig1")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CMAKE_SYSTEM_NAME})
include(CPack)
