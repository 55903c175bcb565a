# Imports 200 files made from the examples with -j 1 and with -j 8 and checks that the outputs,
# JSON, CSV, SVG and GeoJSON, and the messages on stderr are the same bytes: files in the order
# given, whatever thread read them and whenever it finished.
#   PROGRAM, EMULATOR  as for RunHost.cmake
#   SOURCE             the source directory, for the examples
#   NAME               name of the scratch directory
cmake_minimum_required(VERSION 3.25)

set(scratch "${CMAKE_CURRENT_BINARY_DIR}/${NAME}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}/job")
file(READ "${SOURCE}/examples/survey-job.idx" survey)
file(READ "${SOURCE}/examples/site-control-points.idx" control)

# Each file is a little different, so that a file put in the wrong place shows; some are much
# larger than their neighbours, so that threads finish out of order; some cannot be opened or are
# not recognised, so that file messages interleave with line messages.
set(files "")
foreach(i RANGE 199)
    math(EXPR kind "${i} % 5")
    set(path "job/${i}.idx")
    if(kind EQUAL 0 OR kind EQUAL 3)
        math(EXPR rows "(${i} % 10) * 300")
        string(REPEAT "    9,BIG-${i},473512.381,2213048.902,152.418,TRIG,FIX;\n" ${rows} extra)
        string(REPLACE "PP-10" "PP-${i}-" text "${survey}")
        string(REPLACE "  END POINTS" "${extra}  END POINTS" text "${text}")
        file(WRITE "${scratch}/${path}" "${text}")
    elseif(kind EQUAL 1)
        string(REPLACE "Z" "Z${i}" text "${control}")
        file(WRITE "${scratch}/${path}" "${text}")
    elseif(kind EQUAL 2)
        math(EXPR missing "${i} % 3")
        if(missing EQUAL 0)
            set(path "job/missing-${i}.idx")
        else()
            file(WRITE "${scratch}/${path}" "not a survey file ${i}\n")
        endif()
    else()
        string(REPLACE "1001" "${i}01" text "${survey}")
        file(WRITE "${scratch}/${path}" "${text}")
    endif()
    list(APPEND files "${path}")
endforeach()

set(failures "")
foreach(jobs 1 8)
    execute_process(
        COMMAND ${EMULATOR} ${PROGRAM} -j ${jobs} ${files}
        WORKING_DIRECTORY "${scratch}"
        RESULT_VARIABLE status
        OUTPUT_FILE "${scratch}/json-${jobs}.out"
        ERROR_FILE "${scratch}/json-${jobs}.err")
    if(NOT status EQUAL 1)
        string(APPEND failures "-j ${jobs}: exit status ${status}, expected 1 (some files are missing)\n")
    endif()
    execute_process(
        COMMAND ${EMULATOR} ${PROGRAM} -j ${jobs} --format csv --output csv-${jobs} ${files}
        WORKING_DIRECTORY "${scratch}"
        RESULT_VARIABLE status
        ERROR_FILE "${scratch}/csv-${jobs}.err")
    if(NOT status EQUAL 1)
        string(APPEND failures "-j ${jobs} csv: exit status ${status}, expected 1\n")
    endif()
    foreach(format svg geojson)
        execute_process(
            COMMAND ${EMULATOR} ${PROGRAM} -j ${jobs} --format ${format} ${files}
            WORKING_DIRECTORY "${scratch}"
            RESULT_VARIABLE status
            OUTPUT_FILE "${scratch}/${format}-${jobs}.out"
            ERROR_QUIET)
        if(NOT status EQUAL 1)
            string(APPEND failures "-j ${jobs} ${format}: exit status ${status}, expected 1\n")
        endif()
    endforeach()
endforeach()

file(READ "${scratch}/json-1.out" document)
string(REGEX MATCHALL "\n      \"path\": \"job/[a-z-]*[0-9]+\\.idx\"" paths "${document}")
list(LENGTH paths count)
if(NOT count EQUAL 200)
    string(APPEND failures "-j 1 wrote ${count} file objects, expected 200\n")
endif()
string(FIND "${document}" "BIG-193" big)
if(big EQUAL -1)
    string(APPEND failures "-j 1 lost the points of a large file\n")
endif()

# Under an emulator stderr may hold its own lines too; the messages are compared all the same, as
# the emulator writes nothing when it has nothing to say.
set(compared json-1.out:json-8.out json-1.err:json-8.err csv-1.err:csv-8.err svg-1.out:svg-8.out
    geojson-1.out:geojson-8.out)
foreach(table points stations observations)
    list(APPEND compared csv-1/${table}.csv:csv-8/${table}.csv)
endforeach()
foreach(pair ${compared})
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 one)
    list(GET pair 1 eight)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${scratch}/${one}" "${scratch}/${eight}"
                    RESULT_VARIABLE different)
    if(different)
        string(APPEND failures "${one} and ${eight} differ\n")
    endif()
endforeach()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
