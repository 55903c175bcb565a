# Runs orva-import with an output that cannot take its bytes and checks that the program ends by
# itself with status 3 and says on stderr that the output was not written.
#   PROGRAM, EMULATOR, WORKDIR  as for RunHost.cmake
#   MODE   full:  stdout is /dev/full
#          csv:   points.csv in the --output directory is a link to /dev/full
#          pipe:  stdout is a pipe whose reader leaves after the first byte
#   FILE   the file to import; it is given 200 times, so that the output is far larger than a
#          pipe's buffer
cmake_minimum_required(VERSION 3.25)

set(scratch "${CMAKE_CURRENT_BINARY_DIR}/broken_output_${MODE}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")
set(files "")
foreach(i RANGE 1 200)
    list(APPEND files "${FILE}")
endforeach()

if(MODE STREQUAL "full")
    execute_process(
        COMMAND ${EMULATOR} ${PROGRAM} ${files}
        WORKING_DIRECTORY "${WORKDIR}"
        RESULT_VARIABLE status
        OUTPUT_FILE /dev/full
        ERROR_FILE "${scratch}/stderr")
elseif(MODE STREQUAL "csv")
    file(MAKE_DIRECTORY "${scratch}/csv")
    file(CREATE_LINK /dev/full "${scratch}/csv/points.csv" SYMBOLIC)
    execute_process(
        COMMAND ${EMULATOR} ${PROGRAM} --format csv --output "${scratch}/csv" ${files}
        WORKING_DIRECTORY "${WORKDIR}"
        RESULT_VARIABLE status
        OUTPUT_FILE "${scratch}/stdout"
        ERROR_FILE "${scratch}/stderr")
elseif(MODE STREQUAL "pipe")
    # The shell's own status is head's; the program's is written to a file by the inner shell.
    execute_process(
        COMMAND sh -c "\"$@\" 2>\"${scratch}/stderr\"; echo $? >\"${scratch}/status\"" sh
                ${EMULATOR} ${PROGRAM} ${files}
        COMMAND head -c 1
        WORKING_DIRECTORY "${WORKDIR}"
        OUTPUT_FILE "${scratch}/stdout"
        RESULTS_VARIABLE ignored)
    file(READ "${scratch}/status" status)
    string(STRIP "${status}" status)
else()
    message(FATAL_ERROR "unknown MODE ${MODE}")
endif()

file(READ "${scratch}/stderr" err)
set(failures "")
if(NOT "${status}" STREQUAL "3")
    string(APPEND failures "exit status ${status}, expected 3\n")
endif()
if(NOT err MATCHES "orva-import: cannot write [^\n]*; the output is incomplete")
    string(APPEND failures "stderr does not say that the output was not written\n")
endif()
if(failures)
    message(FATAL_ERROR "${failures}stderr was:\n${err}")
endif()
