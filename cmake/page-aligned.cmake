# setup.exe with its resources on a page in the file. Windows maps an image
# of any file alignment; Wine maps a section from the file only when it
# starts on a page, and reads any other into private memory. The image keeps
# 512-byte alignment, and after the link the resources, nearly all of the
# file, are moved to the next 4 KB offset. Fewer sections, fewer pieces: the
# linker's own script, with .eh_frame moved into .rdata and .CRT and .tls
# into .data (the TLS template first, where its section-relative offsets
# expect it).
execute_process(COMMAND ${CMAKE_LINKER} --verbose OUTPUT_VARIABLE ld_verbose RESULT_VARIABLE ld_result)
string(FIND "${ld_verbose}" "==================================================" script_start)
string(FIND "${ld_verbose}" "==================================================" script_end REVERSE)
if(NOT ld_result EQUAL 0 OR script_start EQUAL script_end)
    message(FATAL_ERROR "${CMAKE_LINKER} --verbose gave no default script")
endif()
math(EXPR script_start "${script_start} + 50")
math(EXPR script_length "${script_end} - ${script_start}")
string(SUBSTRING "${ld_verbose}" ${script_start} ${script_length} script)

# Replaces one piece of the script that must be there as it stands.
function(qova_script_replace from to)
    string(FIND "${script}" "${from}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The linker's default script has changed: no\n${from}")
    endif()
    string(REPLACE "${from}" "${to}" replaced "${script}")
    set(script "${replaced}" PARENT_SCOPE)
endfunction()

string(REGEX MATCH "  \\.CRT BLOCK\\(__section_alignment__\\) :\n  {\n(.*)\n  }\n  /\\* Windows TLS" crt_match "${script}")
set(crt_body "${CMAKE_MATCH_1}")
string(REGEX MATCH "  \\.tls BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)\n  }\n" tls_match "${script}")
set(tls_body "${CMAKE_MATCH_1}")
if(crt_body STREQUAL "" OR tls_body STREQUAL "")
    message(FATAL_ERROR "The linker's default script has changed: no .CRT or .tls section")
endif()
qova_script_replace("${tls_match}" "")
string(REGEX REPLACE "\n  /\\* Windows TLS$" "" crt_only "${crt_match}")
qova_script_replace("${crt_only}" "")
# The 64-bit linker spells it with a space; its .pdata and .xdata stay
# sections of their own, which the exception directory points at.
string(REGEX MATCH "  \\.eh_frame BLOCK\\(__section_alignment__\\) :\n  {\n    KEEP ?\\(\\*\\(\\.eh_frame\\*\\)\\)\n  }\n" eh_frame_match "${script}")
if(eh_frame_match STREQUAL "")
    message(FATAL_ERROR "The linker's default script has changed: no .eh_frame section")
endif()
qova_script_replace("${eh_frame_match}" "")
qova_script_replace("	     *(SORT(.rdata$*))\n" "	     *(SORT(.rdata$*))\n    KEEP(*(.eh_frame*))\n")
qova_script_replace("  .data BLOCK(__section_alignment__) :\n  {\n"
    "  .data BLOCK(__section_alignment__) :\n  {\n${tls_body}\n")
qova_script_replace("    *(.data_cygwin_nocopy)\n"
    "    *(.data_cygwin_nocopy)\n${crt_body}\n    KEEP (*(SORT(.CRT$*)))\n")
file(WRITE ${CMAKE_BINARY_DIR}/setup.ld "${script}")

target_link_options(setup PRIVATE -Wl,-T,${CMAKE_BINARY_DIR}/setup.ld)
set_property(TARGET setup APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/setup.ld)
add_dependencies(setup host_tools)
add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_BINARY_DIR}/host-tools/page_align_resources $<TARGET_FILE:setup>
    VERBATIM)
