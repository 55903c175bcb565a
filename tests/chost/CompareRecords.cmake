# Lists the records of the same files with the WebAssembly host and with the native one and
# requires the listings to be the same bytes. Variables: GENERATOR, SOURCE, NODE, WASM_HOST,
# NATIVE_HOST, NATIVE_LIBRARY, WORK.
cmake_minimum_required(VERSION 3.25)

foreach(native ${NATIVE_HOST} ${NATIVE_LIBRARY})
    if(NOT EXISTS ${native})
        message(FATAL_ERROR "${native} is missing: build the linux-release preset first")
    endif()
endforeach()

find_program(PYTHON NAMES python3 python REQUIRED)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# Two jobs of different seeds and sizes, and the worst case of the point table.
set(files)
foreach(job "job-a.idx;--rows;1500;--seed;3" "job-b.idx;--rows;40;--seed;11"
        "points.idx;--points-only;--bytes;60000")
    list(POP_FRONT job name)
    execute_process(COMMAND ${PYTHON} ${GENERATOR} ${job} ${WORK}/${name}
                    RESULT_VARIABLE status ERROR_QUIET)
    if(status)
        message(FATAL_ERROR "generate-job.py ${job} failed: ${status}")
    endif()
    list(APPEND files ${WORK}/${name})
endforeach()
file(GLOB samples ${SOURCE}/examples/*.idx ${SOURCE}/tests/host/data/*.idx)
list(APPEND files ${samples})

foreach(file ${files})
    execute_process(COMMAND ${NODE} ${WASM_HOST} linked --records ${file}
                    RESULT_VARIABLE wasm_status OUTPUT_VARIABLE wasm ERROR_VARIABLE wasm_error)
    execute_process(COMMAND ${NATIVE_HOST} ${NATIVE_LIBRARY} --records ${file}
                    RESULT_VARIABLE native_status OUTPUT_VARIABLE native)
    if(wasm_status OR native_status)
        message(FATAL_ERROR "${file}: exit ${wasm_status} (WebAssembly), ${native_status} (native)\n${wasm_error}")
    endif()
    string(LENGTH "${native}" size)
    if(size LESS 100)
        message(FATAL_ERROR "${file}: the native listing is too short to compare:\n${native}")
    endif()
    if(NOT wasm STREQUAL native)
        file(WRITE ${WORK}/wasm.txt "${wasm}")
        file(WRITE ${WORK}/native.txt "${native}")
        message(FATAL_ERROR "${file}: the listings differ (${WORK}/wasm.txt, ${WORK}/native.txt)")
    endif()
    message(STATUS "${file}: ${size} bytes listed alike")
endforeach()
