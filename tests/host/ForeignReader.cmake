# Runs orva-import with --format svg or geojson and opens what it wrote with a reader written
# elsewhere: rsvg-convert (librsvg) must render the SVG without a word on stderr, at the size the
# document states; ogrinfo (GDAL) must open the GeoJSON as one layer with the features and fields
# expected.
#   PROGRAM, EMULATOR, WORKDIR  as for RunHost.cmake (the readers run natively)
#   MODE       svg or geojson
#   ARGS       the files to import, separated by "|"
#   GRID       instead of ARGS: a job of GRID × GRID points made here, whose SVG must stay below
#              twice the size of the job
#   FEATURES   (geojson) the number of features
#   FIELDS     (geojson) "name: Type" of each field ogrinfo must report, separated by "|"
cmake_minimum_required(VERSION 3.25)

set(scratch "${CMAKE_CURRENT_BINARY_DIR}/reader_${MODE}_${NAME}")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}")
string(REPLACE "|" ";" files "${ARGS}")

if(DEFINED GRID)
    set(rows "")
    math(EXPR last "${GRID} - 1")
    foreach(i RANGE ${last})
        foreach(j RANGE ${last})
            math(EXPR number "${i} * ${GRID} + ${j} + 1")
            math(EXPR north "5000 + ${i} * 7")
            math(EXPR east "300 + ${j} * 5")
            string(APPEND rows "    ${number},G${number},${north}.125,${east}.250,100.0,PEG;\n")
        endforeach()
    endforeach()
    file(WRITE "${scratch}/grid.idx"
        "HEADER\n  UNITS\n    LINEAR METRE\n  END UNITS\nEND HEADER\nDATABASE\n"
        "  POINTS(PointNo,PointID,North,East,Elevation,Code)\n${rows}  END POINTS\nEND DATABASE\n")
    # Relative, as the Windows program takes a path that starts with / for an option.
    set(files grid.idx)
    set(WORKDIR "${scratch}")
endif()

set(output "${scratch}/plan.${MODE}")
# Under Wine a program has been seen, once in a clean CI run, to end with status 1 before writing
# a byte to either stream; the program itself always says why it fails. Such a run is tried once
# more, and told.
foreach(attempt 1 2)
    execute_process(
        COMMAND ${EMULATOR} ${PROGRAM} --format ${MODE} ${files}
        WORKING_DIRECTORY "${WORKDIR}"
        RESULT_VARIABLE status
        OUTPUT_FILE "${output}"
        ERROR_VARIABLE err)
    file(SIZE "${output}" written)
    if(NOT EMULATOR OR status EQUAL 0 OR NOT written EQUAL 0 OR NOT err STREQUAL ""
       OR attempt EQUAL 2)
        break()
    endif()
    message("orva-import ended with status ${status} and wrote nothing under ${EMULATOR}; once more")
endforeach()
set(failures "")
if(NOT status EQUAL 0)
    string(APPEND failures "orva-import exit status ${status}:\n${err}\n")
endif()

if(MODE STREQUAL "svg")
    find_program(RSVG rsvg-convert REQUIRED)
    execute_process(
        COMMAND ${RSVG} --format png --output "${scratch}/plan.png" "${output}"
        RESULT_VARIABLE status
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT err STREQUAL "")
        string(APPEND failures "rsvg-convert exit status ${status}:\n${err}\n")
    else()
        # The PNG's IHDR: width and height, big-endian, after the 8-byte signature and 8 bytes
        # of chunk length and type. librsvg rounds the document's size up to whole pixels.
        file(READ "${scratch}/plan.png" header OFFSET 16 LIMIT 8 HEX)
        string(SUBSTRING "${header}" 0 8 width)
        string(SUBSTRING "${header}" 8 8 height)
        math(EXPR width "0x${width}")
        math(EXPR height "0x${height}")
        file(READ "${output}" svg)
        string(REGEX MATCH "<svg [^>]* width=\"([0-9]+)(\\.[0-9])?\" height=\"([0-9]+)(\\.[0-9])?\"" root "${svg}")
        set(expected_width "${CMAKE_MATCH_1}")
        set(expected_height "${CMAKE_MATCH_3}")
        if(CMAKE_MATCH_2)
            math(EXPR expected_width "${expected_width} + 1")
        endif()
        if(CMAKE_MATCH_4)
            math(EXPR expected_height "${expected_height} + 1")
        endif()
        if(NOT root OR NOT width EQUAL expected_width OR NOT height EQUAL expected_height)
            string(APPEND failures "rendered ${width} × ${height}, the document says ${root}\n")
        endif()
    endif()
    if(DEFINED GRID)
        file(SIZE "${output}" drawn)
        file(SIZE "${scratch}/grid.idx" read)
        math(EXPR bound "2 * ${read}")
        if(NOT drawn LESS bound)
            string(APPEND failures "the plan of ${read} bytes of points takes ${drawn} bytes\n")
        endif()
    endif()
elseif(MODE STREQUAL "geojson")
    find_program(OGRINFO ogrinfo REQUIRED)
    execute_process(
        COMMAND ${OGRINFO} -ro -al -so "${output}"
        RESULT_VARIABLE status
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT err STREQUAL "")
        string(APPEND failures "ogrinfo exit status ${status}:\n${err}\n")
    endif()
    string(REGEX MATCHALL "\nLayer name: [^\n]*" layers "${out}")
    list(LENGTH layers count)
    if(NOT count EQUAL 1 OR NOT out MATCHES "\nLayer name: plan\n")
        string(APPEND failures "expected the one layer plan\n")
    endif()
    if(NOT out MATCHES "\nFeature Count: ${FEATURES}\n")
        string(APPEND failures "expected ${FEATURES} features\n")
    endif()
    string(REPLACE "|" ";" fields "${FIELDS}")
    foreach(field ${fields})
        string(FIND "${out}" "\n${field} (" at)
        if(at EQUAL -1)
            string(APPEND failures "no field ${field}\n")
        endif()
    endforeach()
    if(failures)
        string(APPEND failures "ogrinfo reported:\n${out}\n")
    endif()
endif()

if(failures)
    message(FATAL_ERROR "${failures}")
endif()
