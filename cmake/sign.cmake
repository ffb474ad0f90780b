# Signs a Windows program with Authenticode through osslsigncode: SHA-256,
# the program's name and web page from the product manifest, and a
# timestamp when a server is given, so that the signature stays valid after
# the certificate expires. Signing in place, a failure removes the program,
# so that the next build makes and signs it again instead of taking the
# unsigned file for done.
#
#   cmake -DOSSLSIGNCODE=PATH -DEXE=PATH -DPKCS12=PATH -DPASSWORD_FILE=PATH
#         [-DTIMESTAMP_URL=URL] -DINFO=signing.cmake [-DOUT=PATH] -P sign.cmake
#
# OUT defaults to EXE (signed in place).
foreach(required OSSLSIGNCODE EXE PKCS12 PASSWORD_FILE INFO)
    if(NOT ${required})
        message(FATAL_ERROR "sign.cmake: ${required} is not set")
    endif()
endforeach()
foreach(file PKCS12 PASSWORD_FILE)
    if(NOT EXISTS "${${file}}")
        message(FATAL_ERROR "sign.cmake: ${file} ${${file}} does not exist")
    endif()
endforeach()
if(NOT OUT)
    set(OUT "${EXE}")
endif()
include("${INFO}")

set(args sign -pkcs12 "${PKCS12}" -readpass "${PASSWORD_FILE}" -h sha256
    -n "${QOVA_SIGN_DESCRIPTION}" -i "${QOVA_SIGN_URL}")
if(TIMESTAMP_URL)
    list(APPEND args -ts "${TIMESTAMP_URL}")
endif()
set(signing "${OUT}.signing")
file(REMOVE "${signing}")
execute_process(COMMAND "${OSSLSIGNCODE}" ${args} -in "${EXE}" -out "${signing}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS "${signing}")
    file(REMOVE "${signing}")
    if(OUT STREQUAL EXE)
        file(REMOVE "${EXE}")
    endif()
    message(FATAL_ERROR "osslsigncode could not sign ${EXE}:\n${output}")
endif()
file(RENAME "${signing}" "${OUT}")
