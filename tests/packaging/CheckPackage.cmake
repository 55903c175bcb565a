# Unpacks one package made by BuildPackage.cmake, the way a user would get it, and checks it.
#   PACKAGE    the package file
#   ROOT       a folder of its own to unpack into, emptied first
#   CONTENTS   the files (relative to ROOT) the package must hold, and nothing else
#   FIELDS     (.deb) regular expressions each of which a line of the control file must match
#   NO_FIELDS  (.deb) regular expressions that no line of the control file may match
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${ROOT}")
file(MAKE_DIRECTORY "${ROOT}")
if(PACKAGE MATCHES "\\.deb$")
    execute_process(COMMAND dpkg-deb -x "${PACKAGE}" "${ROOT}" COMMAND_ERROR_IS_FATAL ANY)
else()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${PACKAGE}"
                    WORKING_DIRECTORY "${ROOT}" COMMAND_ERROR_IS_FATAL ANY)
endif()

set(failures "")
file(GLOB_RECURSE unpacked RELATIVE "${ROOT}" "${ROOT}/*")
list(SORT unpacked)
set(expected ${CONTENTS})
list(SORT expected)
if(NOT unpacked STREQUAL expected)
    string(REPLACE ";" "\n  " unpacked "${unpacked}")
    string(REPLACE ";" "\n  " expected "${expected}")
    string(APPEND failures "the package holds\n  ${unpacked}\nexpected\n  ${expected}\n")
endif()

if(PACKAGE MATCHES "\\.deb$")
    # The control fields a user's package manager goes by, one line each.
    execute_process(COMMAND dpkg-deb --field "${PACKAGE}"
                    OUTPUT_VARIABLE control COMMAND_ERROR_IS_FATAL ANY)
    string(REPLACE ";" "," lines "${control}")
    string(REPLACE "\n" ";" lines "${lines}")
    foreach(field ${FIELDS})
        set(found FALSE)
        foreach(line ${lines})
            if(line MATCHES "${field}")
                set(found TRUE)
            endif()
        endforeach()
        if(NOT found)
            string(APPEND failures "the control file has no line matching ${field}\n")
        endif()
    endforeach()
    foreach(field ${NO_FIELDS})
        foreach(line ${lines})
            if(line MATCHES "${field}")
                string(APPEND failures "the control file has the line ${line}\n")
            endif()
        endforeach()
    endforeach()
    if(failures)
        string(APPEND failures "control file:\n${control}")
    endif()
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
