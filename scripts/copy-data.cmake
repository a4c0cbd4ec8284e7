# Copies the shipped data folders into the program's working folder, if any.
# The built-in recipes are compiled into the program and stay behind.
if(EXISTS ${SRC})
  file(COPY ${SRC}/ DESTINATION ${DST} PATTERN recipes EXCLUDE)
endif()
