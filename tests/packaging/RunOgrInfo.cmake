# Runs GDAL's ogrinfo on one file with GDAL_DRIVER_PATH naming only the given folder of plug-ins,
# and checks that the ORVA driver opened it with its four layers.
#   OGRINFO  the ogrinfo program
#   PLUGINS  the folder of plug-ins
#   FILE     the file to open
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${CMAKE_COMMAND}" -E env "GDAL_DRIVER_PATH=${PLUGINS}"
                        "${OGRINFO}" -ro -al -so "${FILE}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(failures "")
if(NOT status EQUAL 0)
    string(APPEND failures "ogrinfo exit status ${status}\n")
endif()
foreach(expected "using driver `ORVA' successful" "\nLayer name: points\n"
                 "\nLayer name: stations\n" "\nLayer name: observations\n"
                 "\nLayer name: messages\n")
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
        string(APPEND failures "ogrinfo did not report: ${expected}\n")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "${failures}stdout:\n${out}\nstderr:\n${err}")
endif()
