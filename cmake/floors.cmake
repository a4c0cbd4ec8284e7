# The floors of src/floors.txt: ZORTA_FLOORS in order from the ground up,
# ZORTA_FLOOR_ON_<room> the rooms each stands on.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/floors.txt zorta_floor_lines REGEX "^[0-9]")
set(ZORTA_FLOORS)
foreach(line ${zorta_floor_lines})
  string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
  list(GET fields 1 room)
  list(LENGTH fields count)
  set(on)
  if(count GREATER 2)
    list(SUBLIST fields 2 -1 on)
  endif()
  set(ZORTA_FLOOR_ON_${room} ${on})
  list(APPEND ZORTA_FLOORS ${room})
endforeach()

# The static library of one floor, linking the floors it stands on (so an
# upward call fails to link) and LIBS, the outside libraries it uses itself.
function(zorta_floor room)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT DEFINED ZORTA_FLOOR_ON_${room})
    message(FATAL_ERROR "${room} is not a floor of src/floors.txt")
  endif()
  add_library(zorta_${room} STATIC ${F_SOURCES})
  set(links)
  foreach(below ${ZORTA_FLOOR_ON_${room}})
    if(below STREQUAL "platform")
      # Built here, the executable picks the platform's variant; installed,
      # there is only the one without test hooks.
      list(APPEND links $<BUILD_INTERFACE:zorta_platform_link> $<INSTALL_INTERFACE:zorta_platform>)
    else()
      list(APPEND links zorta_${below})
    endif()
  endforeach()
  target_link_libraries(zorta_${room} PUBLIC ${links} ${F_LIBS})
endfunction()

# OUT: ROOM and every floor under it, all the way down.
function(zorta_floors_under room out)
  set(result ${room})
  foreach(below ${ZORTA_FLOOR_ON_${room}})
    zorta_floors_under(${below} more)
    list(APPEND result ${more})
  endforeach()
  list(REMOVE_DUPLICATES result)
  set(${out} ${result} PARENT_SCOPE)
endfunction()
