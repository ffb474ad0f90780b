# The host build: portable code under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the libFuzzer target for the decompressing stream.
find_package(ZLIB REQUIRED)
set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(qova_options INTERFACE)
target_include_directories(qova_options INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(qova_options INTERFACE -Wall -Wextra -Werror ${sanitize})
target_link_options(qova_options INTERFACE ${sanitize})

add_subdirectory(platform)
add_subdirectory(engine)

if(QOVA_BUILD_TESTS)
    enable_testing()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QOVA_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_executable(host_tests ${CMAKE_SOURCE_DIR}/tests/portable/zstream_test.cpp
        ${CMAKE_SOURCE_DIR}/tests/portable/unique_handle_test.cpp ${CMAKE_SOURCE_DIR}/tests/portable/sha256_test.cpp)
    target_link_libraries(host_tests PRIVATE qova_engine_portable gtest_main)
    add_test(NAME host_tests COMMAND host_tests)

    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        add_executable(zstream_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/zstream_fuzz.cpp)
        target_compile_options(zstream_fuzz PRIVATE -fsanitize=fuzzer)
        target_link_options(zstream_fuzz PRIVATE -fsanitize=fuzzer)
        target_link_libraries(zstream_fuzz PRIVATE qova_engine_portable)
    endif()

    # The benchmark's host programs, so that they keep building; tools/bench.sh
    # builds its own optimised copies.
    add_subdirectory(bench/host)
endif()
