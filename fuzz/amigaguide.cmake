# The AmigaGuide reader: read any bytes; what is read is consistent.
add_executable(amigaguide_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/amigaguide_fuzz.cpp)
target_link_libraries(amigaguide_fuzz PRIVATE settings_formats)
