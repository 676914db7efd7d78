# Cross build for 64-bit Windows with Debian's mingw-w64 compilers.
# The posix threading variant is used: it gives std::thread and thread_local
# the full C++11 behaviour, and -static folds winpthread into each module.
set(LENTARA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
