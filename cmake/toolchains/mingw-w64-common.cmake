# Shared part of the mingw-w64 toolchain files; LENTARA_MINGW_TRIPLE names the
# target (x86_64-w64-mingw32 or i686-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
if(LENTARA_MINGW_TRIPLE MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

# Prefer the posix threading variant; fall back to the plain names.
find_program(CMAKE_C_COMPILER NAMES ${LENTARA_MINGW_TRIPLE}-gcc-posix ${LENTARA_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${LENTARA_MINGW_TRIPLE}-g++-posix ${LENTARA_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${LENTARA_MINGW_TRIPLE}-windres)
find_program(LENTARA_OBJDUMP NAMES ${LENTARA_MINGW_TRIPLE}-objdump)

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
