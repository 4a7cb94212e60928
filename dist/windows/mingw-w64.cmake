# CMake toolchain for 64-bit Windows programs built on Debian with MinGW-w64
# (g++-mingw-w64-x86-64). The -posix compilers: the win32 ones have no
# std::thread. Used for SDL2 and for zux itself (scripts/windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZUX_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZUX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZUX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZUX_MINGW}-windres)
set(CMAKE_AR ${ZUX_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZUX_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the MinGW tree only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZUX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
