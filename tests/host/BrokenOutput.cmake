# Runs orva-import with an output that cannot take its bytes and checks that the program ends by
# itself with status 3 and says on stderr that the output was not written; output files from an
# earlier run are then left as they were, with nothing beside them.
#   PROGRAM, EMULATOR, WORKDIR  as for RunHost.cmake
#   MODE   full:      stdout is /dev/full
#          csv:       messages.csv in the --output directory is a folder, which the new file
#                     cannot replace: the other tables from before must stay
#          csv_limit: the files may not grow past a few kilobytes (ulimit -f), as on a full disk
#                     (not under an emulator, whose own files would suffer)
#          json_limit: the same for --output FILE
#          pipe:      stdout is a pipe whose reader leaves after the first byte
#   FILE   the file to import; it is given 200 times, so that the output is far larger than a
#          pipe's buffer
cmake_minimum_required(VERSION 3.25)

set(scratch "${CMAKE_CURRENT_BINARY_DIR}/broken_output_${MODE}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")
set(failures "")
set(said "the output is incomplete")
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
elseif(MODE MATCHES "^(csv|csv_limit|json_limit)$")
    set(old "${scratch}/old")
    file(MAKE_DIRECTORY "${old}/messages.csv")
    foreach(table points stations observations extra_values files)
        file(WRITE "${old}/${table}.csv" "from before: ${table}\n")
    endforeach()
    file(WRITE "${old}/all.json" "from before: all.json\n")
    file(COPY "${old}/" DESTINATION "${scratch}/out")
    if(MODE STREQUAL "json_limit")
        set(output "${scratch}/out/all.json")
        set(command ${PROGRAM} --output "${output}" ${files})
    else()
        set(command ${PROGRAM} --format csv --output "${scratch}/out" ${files})
    endif()
    if(MODE STREQUAL "csv")
        set(command ${EMULATOR} ${command})
    else()
        # The signal of a file grown too large is ignored by the program, which sees EFBIG.
        set(command sh -c "ulimit -f 16 && exec \"$@\"" sh ${command})
        file(REMOVE_RECURSE "${old}/messages.csv" "${scratch}/out/messages.csv")
    endif()
    execute_process(
        COMMAND ${command}
        WORKING_DIRECTORY "${WORKDIR}"
        RESULT_VARIABLE status
        OUTPUT_FILE "${scratch}/stdout"
        ERROR_FILE "${scratch}/stderr")
    file(GLOB before RELATIVE "${old}" "${old}/*")
    file(GLOB after RELATIVE "${scratch}/out" "${scratch}/out/*")
    if(NOT before STREQUAL after)
        string(APPEND failures "the output directory holds ${after}, before the run ${before}\n")
    endif()
    foreach(name ${before})
        if(NOT IS_DIRECTORY "${old}/${name}")
            file(READ "${old}/${name}" expected)
            file(READ "${scratch}/out/${name}" found)
            if(NOT found STREQUAL expected)
                string(APPEND failures "${name} was changed\n")
            endif()
        endif()
    endforeach()
    set(said "no output file was replaced")
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
if(NOT "${status}" STREQUAL "3")
    string(APPEND failures "exit status ${status}, expected 3\n")
endif()
if(NOT err MATCHES "orva-import: cannot write [^\n]*; ${said}")
    string(APPEND failures "stderr does not say that the output was not written\n")
endif()
if(failures)
    message(FATAL_ERROR "${failures}stderr was:\n${err}")
endif()
