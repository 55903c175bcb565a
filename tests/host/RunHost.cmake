# Runs orva-import once and checks its exit status and output.
#   PROGRAM        the program; EMULATOR runs it when set (Wine for the Windows build)
#   WORKDIR        directory to run in, so that the paths in the output are the relative ones given
#   ARGS           the arguments, separated by "|"
#   EXPECT_EXIT    the exit status
#   STDOUT_GOLDEN  file that stdout must equal byte for byte
#   STDOUT_REGEX   regular expression that stdout must match
#   STDOUT_PLUGIN  the library that the first group of STDOUT_REGEX must name (the same file
#                  however written: under Wine as a Windows path)
#   STDERR_GOLDEN  file that stderr must equal (under an emulator: contain, as the emulator may add
#                  its own lines)
#   STDERR_REGEX   regular expression that stderr must match
#   CSV_GOLDEN     directory whose files the output directory (@SCRATCH@/csv) must hold, each
#                  equal, and nothing else
#   CSV_OLD        when true, the output directory holds a file of each CSV_GOLDEN name before
#                  the run, which the run must replace
#   JSON_GOLDEN    file that @SCRATCH@/out.json (the --output file) must equal; it holds other
#                  bytes before the run, and the scratch directory nothing else after
#   STDIN          file given as standard input (relative to WORKDIR); none otherwise
#   SAME_AS_ARGS   other arguments ("|" between them) that must give the same stdout and stderr
#   TEMP_UNUSED    when true, the program gets a temporary directory of its own (TMPDIR; not
#                  under an emulator, which has its own) that must be empty after the run
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" arguments "${ARGS}")
set(scratch "${CMAKE_CURRENT_BINARY_DIR}/${TEST_NAME}")
string(REPLACE "@SCRATCH@" "${scratch}" arguments "${arguments}")
set(input "")
if(DEFINED STDIN)
    set(input INPUT_FILE "${WORKDIR}/${STDIN}")
endif()
set(environment "")
if(TEMP_UNUSED AND NOT EMULATOR)
    set(environment ${CMAKE_COMMAND} -E env "TMPDIR=${scratch}/tmp")
endif()

# Lays out the scratch directory as the checks expect it before the run, and runs the program.
macro(run_program)
    file(REMOVE_RECURSE "${scratch}")
    file(MAKE_DIRECTORY "${scratch}")
    if(CSV_OLD)
        file(GLOB expected RELATIVE "${CSV_GOLDEN}" "${CSV_GOLDEN}/*")
        foreach(table ${expected})
            file(WRITE "${scratch}/csv/${table}" "from before\n")
        endforeach()
    endif()
    if(DEFINED JSON_GOLDEN)
        file(WRITE "${scratch}/out.json" "from before\n")
    endif()
    if(TEMP_UNUSED AND NOT EMULATOR)
        file(MAKE_DIRECTORY "${scratch}/tmp")
    endif()
    execute_process(
        COMMAND ${environment} ${EMULATOR} ${PROGRAM} ${arguments}
        WORKING_DIRECTORY "${WORKDIR}"
        RESULT_VARIABLE status
        ${input}
        OUTPUT_FILE "${scratch}/stdout"
        ERROR_FILE "${scratch}/stderr")
    file(READ "${scratch}/stdout" out)
    file(READ "${scratch}/stderr" err)
endmacro()

run_program()
# orva-import never ends with status 1 without a word on stderr, but Wine has, now and then, for
# a program it did not start, on a machine busy with other work. Such a start is tried once more.
if(EMULATOR AND "${status}" STREQUAL "1" AND "${out}" STREQUAL "" AND "${err}" STREQUAL "")
    message(STATUS "${TEST_NAME}: status 1 and no output under the emulator; run again")
    run_program()
endif()

set(failures "")

if(NOT "${status}" STREQUAL "${EXPECT_EXIT}")
    string(APPEND failures "exit status ${status}, expected ${EXPECT_EXIT}\n")
endif()

function(compare actual golden)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${actual}" "${golden}"
                    RESULT_VARIABLE different)
    if(different)
        find_program(DIFF diff)
        set(shown "")
        if(DIFF)
            execute_process(COMMAND ${DIFF} -u "${golden}" "${actual}" OUTPUT_VARIABLE shown)
        endif()
        set(failures "${failures}${actual} differs from ${golden}\n${shown}\n" PARENT_SCOPE)
    endif()
endfunction()

if(DEFINED STDOUT_GOLDEN)
    compare("${scratch}/stdout" "${STDOUT_GOLDEN}")
endif()
if(DEFINED STDOUT_REGEX AND NOT out MATCHES "${STDOUT_REGEX}")
    string(APPEND failures "stdout does not match ${STDOUT_REGEX}:\n${out}\n")
elseif(DEFINED STDOUT_PLUGIN)
    string(REGEX MATCH "${STDOUT_REGEX}" matched "${out}")
    set(shown "${CMAKE_MATCH_1}")
    set(named "${shown}")
    if(EMULATOR)
        # Wine maps the Unix root to drive Z:.
        string(REPLACE "\\" "/" named "${named}")
        string(REGEX REPLACE "^[A-Za-z]:/" "/" named "${named}")
    endif()
    if(NOT IS_ABSOLUTE "${named}")
        set(named "${WORKDIR}/${named}")
    endif()
    file(REAL_PATH "${named}" named_real)
    file(REAL_PATH "${STDOUT_PLUGIN}" expected_real)
    if(NOT named_real STREQUAL expected_real)
        string(APPEND failures "the plug-in named is ${shown}, expected ${STDOUT_PLUGIN}\n")
    endif()
endif()
if(DEFINED STDERR_GOLDEN)
    if(EMULATOR)
        file(READ "${STDERR_GOLDEN}" expected)
        string(FIND "${err}" "${expected}" at)
        if(at EQUAL -1)
            string(APPEND failures "stderr does not contain\n${expected}\nit is\n${err}\n")
        endif()
    else()
        compare("${scratch}/stderr" "${STDERR_GOLDEN}")
    endif()
endif()
if(DEFINED STDERR_REGEX AND NOT err MATCHES "${STDERR_REGEX}")
    string(APPEND failures "stderr does not match ${STDERR_REGEX}:\n${err}\n")
endif()
if(DEFINED CSV_GOLDEN)
    file(GLOB expected RELATIVE "${CSV_GOLDEN}" "${CSV_GOLDEN}/*")
    file(GLOB written RELATIVE "${scratch}/csv" "${scratch}/csv/*")
    list(SORT expected)
    list(SORT written)
    if(NOT expected STREQUAL written)
        string(APPEND failures "the output directory holds ${written}, expected ${expected}\n")
    endif()
    foreach(table ${expected})
        compare("${scratch}/csv/${table}" "${CSV_GOLDEN}/${table}")
    endforeach()
endif()

if(DEFINED JSON_GOLDEN)
    compare("${scratch}/out.json" "${JSON_GOLDEN}")
    file(GLOB written RELATIVE "${scratch}" "${scratch}/*")
    if(NOT written STREQUAL "out.json;stderr;stdout")
        string(APPEND failures "the scratch directory holds ${written}\n")
    endif()
endif()
if(DEFINED SAME_AS_ARGS)
    string(REPLACE "|" ";" other "${SAME_AS_ARGS}")
    string(REPLACE "@SCRATCH@" "${scratch}" other "${other}")
    execute_process(
        COMMAND ${EMULATOR} ${PROGRAM} ${other}
        WORKING_DIRECTORY "${WORKDIR}"
        OUTPUT_FILE "${scratch}/same-stdout"
        ERROR_FILE "${scratch}/same-stderr")
    compare("${scratch}/stdout" "${scratch}/same-stdout")
    if(NOT EMULATOR)
        compare("${scratch}/stderr" "${scratch}/same-stderr")
    endif()
endif()
if(TEMP_UNUSED AND NOT EMULATOR)
    file(GLOB left "${scratch}/tmp/*")
    if(left)
        string(APPEND failures "temporary files left behind: ${left}\n")
    endif()
endif()

if(failures)
    message(FATAL_ERROR "${failures}stderr was:\n${err}")
endif()
