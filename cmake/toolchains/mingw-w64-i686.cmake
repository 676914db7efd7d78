# Cross build for 32-bit Windows: clang with Debian's mingw-w64 GCC runtime (posix
# threading variant, see mingw-w64-x86_64.cmake).
set(LENTARA_MINGW_TRIPLE i686-w64-mingw32)
# SSE2 arithmetic instead of x87 gives the doubles the same rounding as the
# 64-bit build, so both modules compute the same rays. The host guarantees
# only 4-byte stack alignment on entry; -mstackrealign keeps SSE spills safe.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
