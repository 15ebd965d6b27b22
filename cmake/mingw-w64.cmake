# Cross-compiling for 64-bit Windows with Debian's mingw-w64. The posix
# threads variant, because its libstdc++ has std::thread and std::mutex;
# linked statically, so the programs need no DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FENNOX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FENNOX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FENNOX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FENNOX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FENNOX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
