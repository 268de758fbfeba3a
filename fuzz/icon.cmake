# The icon readers, classic and PNG: parse any bytes; what parses must build back unchanged.
add_executable(icon_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/icon_fuzz.cpp)
target_link_libraries(icon_fuzz PRIVATE settings_formats)
