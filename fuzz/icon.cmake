# The icon reader: parse any bytes; what parses must build back unchanged.
add_executable(icon_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/icon_fuzz.cpp ${SRC}/platform/icon_file.cpp)
