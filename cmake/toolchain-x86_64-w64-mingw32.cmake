# Cross build for 64-bit Windows: the test build where 32-bit Wine cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
