# Runs orva_bench on a small generated job and its worst case for the point table, so that the
# benchmark keeps building and running; the figures are printed, not checked.
#   BENCH     the benchmark; EMULATOR runs it when set (Wine for the Windows build)
#   GENERATOR bench/generate-job.py
#   WORK      directory for the generated files
cmake_minimum_required(VERSION 3.25)

find_program(PYTHON NAMES python3 python REQUIRED)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
foreach(job "job.idx;--rows;2000" "points.idx;--points-only;--bytes;200000")
    list(POP_FRONT job name)
    execute_process(COMMAND ${PYTHON} ${GENERATOR} ${job} ${WORK}/${name}
                    RESULT_VARIABLE status ERROR_QUIET)
    if(status)
        message(FATAL_ERROR "generate-job.py ${job} failed: ${status}")
    endif()
endforeach()

execute_process(COMMAND ${EMULATOR} ${BENCH} --rounds 1 job.idx points.idx
                WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(status)
    message(FATAL_ERROR "orva_bench exited with ${status}")
endif()
# Both files, each with its figures and the same record counts in every round.
foreach(expected "job.idx: [0-9.]+ MB, 4001 records" "points.idx: [0-9.]+ MB, [1-9][0-9]* records"
        "ratio +[0-9.]+ x naive")
    if(NOT out MATCHES "${expected}")
        message(FATAL_ERROR "orva_bench printed no \"${expected}\"")
    endif()
endforeach()
