# The catalog reader: parse any bytes; what parses holds ascending, distinct ids.
add_executable(catalog_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/catalog_fuzz.cpp)
target_link_libraries(catalog_fuzz PRIVATE settings_formats)
