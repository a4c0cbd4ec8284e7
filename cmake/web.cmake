# The demo as a web page: zorta.js, zorta.wasm and zorta.data, the last
# holding Maps/, TileSets/ and the font at the root of the page's file system,
# where the program's relative names find them.
set(ZORTA_WEB_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf CACHE FILEPATH
    "The font packed with the web page")
set_target_properties(zorta PROPERTIES SUFFIX .js)
# The page keeps the visitor's sounds (Sounds/) in the browser's IndexedDB
# and tells the program of a new one through ccall.
target_link_options(zorta PRIVATE -sENVIRONMENT=web -lidbfs.js -sEXPORTED_RUNTIME_METHODS=ccall,FS,IDBFS
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data/Maps@/Maps"
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data/TileSets@/TileSets"
  "SHELL:--preload-file ${ZORTA_WEB_FONT}@/DejaVuSans.ttf")
set_property(TARGET zorta APPEND PROPERTY LINK_DEPENDS ${ZORTA_WEB_FONT})
