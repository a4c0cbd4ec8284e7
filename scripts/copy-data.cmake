# Copies the shipped data folders into the program's working folder, if any.
if(EXISTS ${SRC})
  file(COPY ${SRC}/ DESTINATION ${DST})
endif()
