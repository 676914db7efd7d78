# Shared part of the mingw-w64 toolchain files; LENTARA_MINGW_TRIPLE names the
# target (x86_64-w64-mingw32 or i686-w64-mingw32).
#
# The code is compiled by clang for that target, against the headers and
# libraries of Debian's mingw-w64 GCC (posix threading variant) and linked by
# its binutils. Clang gives thread_local the native Windows TLS (the loader
# lays out every thread's block); mingw GCC only emulates it (emutls), which
# allocates each variable on a thread's first access and takes a lock the
# first time a variable is touched at all: on the evaluate path that is an
# allocation and a lock in the first ray of every render thread.
set(CMAKE_SYSTEM_NAME Windows)
if(LENTARA_MINGW_TRIPLE MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

find_program(LENTARA_MINGW_GXX NAMES ${LENTARA_MINGW_TRIPLE}-g++-posix ${LENTARA_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES clang clang-16 clang-15 clang-14 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ clang++-16 clang++-15 clang++-14 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${LENTARA_MINGW_TRIPLE}-windres)
find_program(LENTARA_OBJDUMP NAMES ${LENTARA_MINGW_TRIPLE}-objdump)
set(CMAKE_C_COMPILER_TARGET ${LENTARA_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${LENTARA_MINGW_TRIPLE})

# The GCC installation clang takes libstdc++ and libgcc from: the folder of
# its libgcc.a (/usr/lib/gcc/<triple>/<version>-posix on Debian). Clang does
# not find a folder with a "-posix" version by itself.
execute_process(COMMAND ${LENTARA_MINGW_GXX} -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(LENTARA_MINGW_GCC_DIR "${libgcc}" DIRECTORY)
if(NOT EXISTS "${LENTARA_MINGW_GCC_DIR}/include/c++")
  message(FATAL_ERROR "no libstdc++ headers next to ${libgcc}")
endif()
string(APPEND CMAKE_CXX_FLAGS_INIT
       " -isystem ${LENTARA_MINGW_GCC_DIR}/include/c++"
       " -isystem ${LENTARA_MINGW_GCC_DIR}/include/c++/${LENTARA_MINGW_TRIPLE}"
       " -isystem ${LENTARA_MINGW_GCC_DIR}/include/c++/backward")
# -pthread puts winpthread (which the posix libstdc++ needs) after the C++
# runtime on the link line.
foreach(kind EXE SHARED MODULE)
  string(APPEND CMAKE_${kind}_LINKER_FLAGS_INIT " -L${LENTARA_MINGW_GCC_DIR} -pthread")
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${LENTARA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs built here (the smoke test) are run under Wine.
find_program(LENTARA_WINE NAMES wine64 wine)
if(LENTARA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LENTARA_WINE})
endif()
