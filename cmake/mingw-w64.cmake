# What both mingw-w64 toolchain files share: Debian's cross compilers for
# MINGW_TRIPLET with the win32 thread model, and its libraries only from the
# target's root. The program has one thread; the posix model would link
# winpthreads into setup.exe for the runtime's own locks alone.
set(CMAKE_SYSTEM_NAME Windows)
# A build folder configured before keeps its compilers in the cache.
if(CMAKE_CXX_COMPILER MATCHES "-posix$")
    message(FATAL_ERROR "${CMAKE_BINARY_DIR} was configured with the posix thread model's compilers; "
        "configure it again with --fresh (the tools/ scripts do so themselves)")
endif()
find_program(CMAKE_C_COMPILER NAMES ${MINGW_TRIPLET}-gcc-win32 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLET}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLET}-windres windres REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
