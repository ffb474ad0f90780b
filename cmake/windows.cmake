# The Windows build: setup.exe, its stand-in payload, tests and benchmarks.
enable_language(RC)
include(ExternalProject)

set(QOVA_PAYLOAD_DIR "" CACHE PATH
    "Folder holding the payload files the manifest lists, under their installed names; empty builds the stand-ins")
find_program(ZOPFLI_EXECUTABLE zopfli)

# Our own code: strict warnings, no build paths in the binaries.
add_library(qova_options INTERFACE)
target_compile_options(qova_options INTERFACE -Wall -Wextra -Werror -Wno-cast-function-type)
target_compile_definitions(qova_options INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
target_include_directories(qova_options INTERFACE ${CMAKE_SOURCE_DIR})
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
# setup.exe is downloaded, so the release build is optimised for size; the
# tests run the same build. Dropping unreferenced sections keeps out, among
# others, the thousands of GUIDs that come with one from libuuid.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
# No run-time type information beyond what exceptions need, and no locks
# around static locals: the one other thread, the payload's second
# extraction, reaches only statics set before it starts.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fno-rtti> $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp -Wl,--gc-sections
    $<$<CONFIG:Release>:-s>)
# Optimised as one program: with every call seen, the compiler inlines
# across files and knows which functions cannot throw, which needs no
# unwind entries (about 36 KB of setup.exe). In one partition: GCC 12
# stops with an internal error when it splits this program.
set(CMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
set(CMAKE_POLICY_DEFAULT_CMP0069 NEW)
add_link_options($<$<CONFIG:Release>:-flto-partition=one>)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# Where the packer puts the compressed payload, its resource script and
# the inflated sizes that the installation checks for room with.
set(packed_dir ${CMAKE_BINARY_DIR}/packed)

add_subdirectory(runtime)
add_subdirectory(platform)
add_subdirectory(engine)
add_subdirectory(shell)
add_subdirectory(install)

# The payload: the vendor's folder, or the stand-ins built here.
if(QOVA_PAYLOAD_DIR STREQUAL "")
    add_subdirectory(resources/payload)
    set(payload_dir ${CMAKE_BINARY_DIR}/payload)
    set(payload_targets qova_standin_payload)
else()
    set(payload_dir ${QOVA_PAYLOAD_DIR})
    set(payload_targets)
endif()

# The packer is a host program built from the same manifest header.
ExternalProject_Add(host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
    BINARY_DIR ${CMAKE_BINARY_DIR}/host-tools
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DQOVA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/host-tools/pack_payload ${CMAKE_BINARY_DIR}/host-tools/make_test_data
        ${CMAKE_BINARY_DIR}/host-tools/make_artwork ${CMAKE_BINARY_DIR}/host-tools/make_version_info
        ${CMAKE_BINARY_DIR}/host-tools/page_align_resources)

set(zopfli_arg)
if(ZOPFLI_EXECUTABLE)
    set(zopfli_arg --zopfli ${ZOPFLI_EXECUTABLE})
endif()
add_custom_command(
    OUTPUT ${packed_dir}/payload.rc ${packed_dir}/packed_payload.h
    COMMAND ${CMAKE_BINARY_DIR}/host-tools/pack_payload ${zopfli_arg} ${payload_dir} ${packed_dir}
    DEPENDS host_tools ${payload_targets} ${CMAKE_BINARY_DIR}/host-tools/pack_payload
    DEPFILE ${packed_dir}/payload.rc.d
    COMMENT "Compressing the payload"
    VERBATIM)
add_custom_target(qova_packed_payload DEPENDS ${packed_dir}/payload.rc)
add_dependencies(qova_install qova_packed_payload)

# The window's icons and glyphs, drawn by a host program.
set(artwork_dir ${CMAKE_BINARY_DIR}/artwork)
set(artwork_files ${artwork_dir}/mainicon.ico ${artwork_dir}/scaled.rc)
foreach(scale IN ITEMS 100 125 150 200)
    list(APPEND artwork_files ${artwork_dir}/artwork_${scale}.z)
endforeach()
add_custom_command(
    OUTPUT ${artwork_files}
    COMMAND ${CMAKE_BINARY_DIR}/host-tools/make_artwork ${zopfli_arg} ${artwork_dir}
    DEPENDS host_tools ${CMAKE_BINARY_DIR}/host-tools/make_artwork
    COMMENT "Drawing the icons and glyphs"
    VERBATIM)
add_custom_target(qova_artwork DEPENDS ${artwork_files})

add_subdirectory(setup)

if(QOVA_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests)
    add_subdirectory(bench)
endif()
