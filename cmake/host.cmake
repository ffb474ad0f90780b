# The host build: portable code under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the libFuzzer target for the decompressing stream.
find_package(ZLIB REQUIRED)
set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(qova_portable STATIC
    ${CMAKE_SOURCE_DIR}/platform/stream.cpp
    ${CMAKE_SOURCE_DIR}/engine/zstream.cpp)
target_include_directories(qova_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(qova_portable PUBLIC -Wall -Wextra -Werror ${sanitize})
target_link_options(qova_portable PUBLIC ${sanitize})
target_link_libraries(qova_portable PUBLIC ZLIB::ZLIB)

if(QOVA_BUILD_TESTS)
    enable_testing()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    file(GLOB host_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/portable/*.cpp)
    add_executable(host_tests ${host_test_sources})
    target_link_libraries(host_tests PRIVATE qova_portable gtest_main)
    add_test(NAME host_tests COMMAND host_tests)

    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        add_executable(zstream_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/zstream_fuzz.cpp)
        target_compile_options(zstream_fuzz PRIVATE -fsanitize=fuzzer)
        target_link_options(zstream_fuzz PRIVATE -fsanitize=fuzzer)
        target_link_libraries(zstream_fuzz PRIVATE qova_portable)
    endif()
endif()
