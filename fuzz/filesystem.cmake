# The file system room over in-memory images: list, read, check, and replace a
# file through its write plan, checking the volume after each write.
file(GLOB FILESYSTEM_SOURCES CONFIGURE_DEPENDS ${SRC}/platform/filesystem/*.cpp)
add_executable(filesystem_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/filesystem_fuzz.cpp ${FILESYSTEM_SOURCES})
