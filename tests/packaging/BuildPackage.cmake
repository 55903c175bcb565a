# Builds the packages with CPack, the way a release makes them.
#   CPACK     the cpack program
#   CONFIG    the build's CPackConfig.cmake
#   WORK      a folder of its own, emptied first, where the packages are made
#   PACKAGES  the file names of the packages cpack must make, and no others
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CPACK}" --config "${CONFIG}" -B "${WORK}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status)
    message(FATAL_ERROR "cpack failed (${status}):\n${output}")
endif()
file(GLOB made RELATIVE "${WORK}" "${WORK}/*.deb" "${WORK}/*.zip")
set(expected ${PACKAGES})
list(SORT expected)
if(NOT made STREQUAL expected)
    message(FATAL_ERROR "cpack made [${made}], expected [${expected}]:\n${output}")
endif()
