# Cross toolchain: 32-bit Windows with mingw-w64.  The test programs use the
# posix threads variant, which GoogleTest needs for std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

# RUXA_THREAD_MODEL=win32 selects the lean compilers that build the shipped
# module; the build passes it on to its compiler checks.
if(NOT RUXA_THREAD_MODEL)
    set(RUXA_THREAD_MODEL posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RUXA_THREAD_MODEL)
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-${RUXA_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${RUXA_THREAD_MODEL})
set(CMAKE_RC_COMPILER  i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
