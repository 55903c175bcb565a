# Builds one package with CPack and unpacks it, the way a user would get it.
#   CPACK     the cpack program
#   CONFIG    the build's CPackConfig.cmake
#   WORK      a folder of its own, emptied first; the package is made here and unpacked into
#             WORK/unpacked
#   PACKAGE   the file name the package must have
#   CONTENTS  the files (relative to the unpacked root) that must be in it; for a ZIP the package
#             must hold exactly these
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/unpacked")
execute_process(COMMAND "${CPACK}" --config "${CONFIG}" -B "${WORK}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status)
    message(FATAL_ERROR "cpack failed (${status}):\n${output}")
endif()
file(GLOB made RELATIVE "${WORK}" "${WORK}/*.deb" "${WORK}/*.zip")
if(NOT made STREQUAL "${PACKAGE}")
    message(FATAL_ERROR "cpack made [${made}], expected ${PACKAGE}:\n${output}")
endif()

set(failures "")
if(PACKAGE MATCHES "\\.deb$")
    execute_process(COMMAND dpkg-deb -x "${WORK}/${PACKAGE}" "${WORK}/unpacked"
                    COMMAND_ERROR_IS_FATAL ANY)
    # The listing dpkg shows, as "./usr/bin/orva-import" in the last column of each line.
    execute_process(COMMAND dpkg-deb --contents "${WORK}/${PACKAGE}"
                    OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE "[^\n]* \\./([^\n]*)" "\\1" listed "${listing}")
    string(REGEX REPLACE "\n$" "" listed "${listed}")
    string(REPLACE "\n" ";" listed "${listed}")
    foreach(file ${CONTENTS})
        if(NOT file IN_LIST listed)
            string(APPEND failures "${file} is not in the package\n")
        endif()
    endforeach()
    if(failures)
        string(APPEND failures "dpkg-deb --contents:\n${listing}")
    endif()

    # The control fields a user's package manager goes by.
    execute_process(COMMAND dpkg-deb --field "${WORK}/${PACKAGE}"
                    OUTPUT_VARIABLE control COMMAND_ERROR_IS_FATAL ANY)
    foreach(field "Package: orva" "Version: [0-9]+\\.[0-9]+\\.[0-9]+"
                  "Depends: [^\n]*libc6 \\(>= [^\n]*libstdc\\+\\+6 \\(>= ")
        if(NOT control MATCHES "(^|\n)${field}")
            string(APPEND failures "the control file has no line ${field}:\n${control}\n")
        endif()
    endforeach()
else()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${WORK}/${PACKAGE}"
                    WORKING_DIRECTORY "${WORK}/unpacked" COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE unpacked RELATIVE "${WORK}/unpacked" "${WORK}/unpacked/*")
    list(SORT unpacked)
    set(expected ${CONTENTS})
    list(SORT expected)
    if(NOT unpacked STREQUAL expected)
        string(REPLACE ";" "\n  " unpacked "${unpacked}")
        string(REPLACE ";" "\n  " expected "${expected}")
        string(APPEND failures "the package holds\n  ${unpacked}\nexpected\n  ${expected}\n")
    endif()
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
