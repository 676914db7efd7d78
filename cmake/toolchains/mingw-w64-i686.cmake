# Cross build for 32-bit Windows with Debian's mingw-w64 compilers (posix
# threading variant, see mingw-w64-x86_64.cmake).
set(LENTARA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
