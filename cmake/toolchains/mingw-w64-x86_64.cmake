# Cross build for 64-bit Windows: clang for the target, with the headers,
# libraries and binutils of Debian's mingw-w64 GCC (posix threading variant;
# see mingw-w64-common.cmake). -static folds winpthread into each module.
set(LENTARA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
