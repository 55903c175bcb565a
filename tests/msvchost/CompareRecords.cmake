# Runs the plain-C host and the Microsoft-ABI host with --records on the same files and compares
# what they print byte for byte.
#   EMULATOR   runs the programs (Wine); may be empty
#   C_HOST     orva_chost
#   MSVC_HOST  orva_msvchost
#   LIBRARY    the plug-in
#   WORKDIR    directory to run in, so that the paths in the listing are the relative ones given
#   FILES      the files to import, separated by "|"
#   SCRATCH    where both listings are kept for a look when they differ
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" files "${FILES}")
file(MAKE_DIRECTORY ${SCRATCH})

foreach(host C_HOST MSVC_HOST)
    execute_process(
        COMMAND ${EMULATOR} ${${host}} ${LIBRARY} --records ${files}
        WORKING_DIRECTORY ${WORKDIR}
        RESULT_VARIABLE status
        OUTPUT_VARIABLE listing
        ERROR_VARIABLE errors)
    get_filename_component(name ${${host}} NAME_WE)
    file(WRITE ${SCRATCH}/${name}.records "${listing}")
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${name} --records exited with ${status}:\n${errors}")
    endif()
    if(NOT listing MATCHES "BeginPoint\\(")
        message(FATAL_ERROR "${name} --records listed no record:\n${listing}${errors}")
    endif()
    set(${host}_listing "${listing}")
    set(${host}_name ${name})
endforeach()

if(NOT C_HOST_listing STREQUAL MSVC_HOST_listing)
    string(REPLACE ";" "\\;" c_text "${C_HOST_listing}")
    string(REPLACE ";" "\\;" msvc_text "${MSVC_HOST_listing}")
    string(REPLACE "\n" ";" c_lines "${c_text}")
    string(REPLACE "\n" ";" msvc_lines "${msvc_text}")
    list(LENGTH c_lines c_count)
    list(LENGTH msvc_lines msvc_count)
    set(line 0)
    while(line LESS c_count AND line LESS msvc_count)
        list(GET c_lines ${line} c_line)
        list(GET msvc_lines ${line} msvc_line)
        if(NOT c_line STREQUAL msvc_line)
            break()
        endif()
        math(EXPR line "${line} + 1")
    endwhile()
    math(EXPR number "${line} + 1")
    set(c_line "(end)")
    set(msvc_line "(end)")
    if(line LESS c_count)
        list(GET c_lines ${line} c_line)
    endif()
    if(line LESS msvc_count)
        list(GET msvc_lines ${line} msvc_line)
    endif()
    message(FATAL_ERROR "the listings differ first at line ${number}:\n"
        "  ${C_HOST_name}: ${c_line}\n  ${MSVC_HOST_name}: ${msvc_line}\n"
        "both are in ${SCRATCH}")
endif()
string(LENGTH "${C_HOST_listing}" size)
message(STATUS "${C_HOST_name} and ${MSVC_HOST_name} list the same calls (${size} bytes)")
