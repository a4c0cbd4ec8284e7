# The example game as a web page: zorta-game.js, .wasm and .data, the last
# holding the levels and tile sets made for it, the font, and the recorded
# replays under Replays/ (game.html?replay=NAME plays one and prints its line).
set_target_properties(zorta-game PROPERTIES SUFFIX .js)
target_link_options(zorta-game PRIVATE -sENVIRONMENT=web
  "SHELL:--preload-file ${ZORTA_GAME_RUN}/Maps@/Maps"
  "SHELL:--preload-file ${ZORTA_GAME_RUN}/TileSets@/TileSets"
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/game/replays@/Replays"
  "SHELL:--exclude-file *.sh"
  "SHELL:--preload-file ${ZORTA_WEB_FONT}@/DejaVuSans.ttf")
set_property(TARGET zorta-game APPEND PROPERTY LINK_DEPENDS ${ZORTA_WEB_FONT})
