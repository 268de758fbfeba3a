# The tooltype number syntax against the C library's decimal reading.
add_executable(tooltype_number_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/tooltype_number_fuzz.cpp
  ${SRC}/settings/tooltype_number.cpp)
