# Compares the vtables that clang lays out for plugin/HostInterfaces.h in Microsoft mode with the
# committed slot tables, and their slot names with the plain-C view tests/chost/OrvaAbi.h.
#   cmake -DCLANG=clang -DSOURCE_DIR=<project> -DEXPECTED=<vtables.expected> -DSCRATCH=<dir>
#         [-DMUTATION=move|retype|insert] -P CheckVtables.cmake
# With MUTATION, a copy of the contract header with one slot moved, retyped or inserted is laid
# out instead, and the check passes only if that copy is refused.
cmake_minimum_required(VERSION 3.25)
set(here ${CMAKE_CURRENT_LIST_DIR})
foreach(variable CLANG SOURCE_DIR EXPECTED SCRATCH)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

# ---- the header laid out ------------------------------------------------------------------
set(root ${SOURCE_DIR})
if(DEFINED MUTATION)
    set(root ${SCRATCH}/${MUTATION})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/plugin)
    file(COPY ${SOURCE_DIR}/plugin/PluginConfig.h DESTINATION ${root}/plugin)
    file(READ ${SOURCE_DIR}/plugin/HostInterfaces.h header)
    set(north "    virtual void SetNorth(double value) = 0;                   // 9\n")
    set(east "    virtual void SetEast(double value) = 0;                    // 10\n")
    if(MUTATION STREQUAL "move")
        # SetEast before SetNorth.
        string(REPLACE "${north}${east}" "${east}${north}" mutated "${header}")
    elseif(MUTATION STREQUAL "retype")
        # SetProgress takes a double instead of a float.
        string(REPLACE "virtual void SetProgress(float percent)"
                       "virtual void SetProgress(double percent)" mutated "${header}")
    elseif(MUTATION STREQUAL "insert")
        # A new slot in the middle of the plug-in object.
        string(REPLACE "    virtual std::int32_t GetKind() = 0;"
                       "    virtual void Added() = 0;\n    virtual std::int32_t GetKind() = 0;"
                       mutated "${header}")
    else()
        message(FATAL_ERROR "unknown MUTATION ${MUTATION}")
    endif()
    if(mutated STREQUAL header)
        message(FATAL_ERROR "the ${MUTATION} mutation no longer applies to plugin/HostInterfaces.h")
    endif()
    file(WRITE ${root}/plugin/HostInterfaces.h "${mutated}")
endif()

file(MAKE_DIRECTORY ${SCRATCH})
set(object ${SCRATCH}/VtableProbe${MUTATION}.obj)
execute_process(
    COMMAND ${CLANG} --driver-mode=cl --target=x86_64-pc-windows-msvc /nologo /c /std:c++17
            /GR- /GS- /Zl /X -imsvc ${here}/shim -I${root} /Fo${object}
            -Xclang -fdump-vtable-layouts -- ${here}/VtableProbe.cpp
    RESULT_VARIABLE status
    OUTPUT_VARIABLE dump
    ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "clang could not compile the contract in Microsoft mode:\n${errors}")
endif()

# ---- the layouts, one line per slot: "<interface> <slot> <signature>" -----------------------
string(REPLACE ";" "\\;" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")
set(actual "")
set(interfaces "")
set(current "")
foreach(line IN LISTS lines)
    if(line MATCHES "^VFTable for '([^']*)'(.*) \\(([0-9]+) entr(y|ies)\\)\\.$")
        # The table of the most derived class named: the last in "'A' in 'B' in 'C'".
        set(current "${CMAKE_MATCH_1}")
        set(rest "${CMAKE_MATCH_2}")
        while(rest MATCHES "^ in '([^']*)'(.*)$")
            set(current "${CMAKE_MATCH_1}")
            set(rest "${CMAKE_MATCH_2}")
        endwhile()
        if(current IN_LIST interfaces)
            string(APPEND actual "${current} has more than one vtable\n")
        endif()
        list(APPEND interfaces "${current}")
        set(${current}_names "")
    elseif(current AND line MATCHES "^ *([0-9]+) \\| (.*)$")
        set(slot ${CMAKE_MATCH_1})
        set(signature "${CMAKE_MATCH_2}")
        string(REGEX REPLACE " \\[pure\\]$" "" signature "${signature}")
        string(APPEND actual "${current} ${slot} ${signature}\n")
        # The unqualified name, for the comparison with the C view.
        if(signature MATCHES "::([A-Za-z0-9_]+)\\(")
            list(APPEND ${current}_names ${CMAKE_MATCH_1})
        endif()
    else()
        set(current "")
    endif()
endforeach()

set(failures "")

# ---- against the committed table ----------------------------------------------------------
file(STRINGS ${EXPECTED} expected_lines)
set(expected "")
foreach(line IN LISTS expected_lines)
    if(NOT line MATCHES "^#" AND NOT line STREQUAL "")
        string(APPEND expected "${line}\n")
    endif()
endforeach()
if(NOT actual STREQUAL expected)
    string(REPLACE "\n" ";" actual_list "${actual}")
    string(REPLACE "\n" ";" expected_list "${expected}")
    set(report "")
    foreach(line IN LISTS expected_list)
        if(line AND NOT line IN_LIST actual_list)
            string(APPEND report "  expected, not laid out: ${line}\n")
        endif()
    endforeach()
    foreach(line IN LISTS actual_list)
        if(line AND NOT line IN_LIST expected_list)
            string(APPEND report "  laid out, not expected: ${line}\n")
        endif()
    endforeach()
    if(report STREQUAL "")
        set(report "  the same slots in another order\n")
    endif()
    string(APPEND failures "the vtables differ from ${EXPECTED}:\n${report}")
endif()

# ---- against the C view: the slot names of each table in order ------------------------------
file(READ ${SOURCE_DIR}/tests/chost/OrvaAbi.h view)
string(REPLACE ";" "," view "${view}")
string(REPLACE "\n" ";" view_lines "${view}")
set(table "")
foreach(line IN LISTS view_lines)
    if(line MATCHES "^typedef struct (Orva[A-Za-z]+Slots)$")
        set(table ${CMAKE_MATCH_1})
        set(${table} "")
    elseif(table AND line MATCHES "^} ")
        set(table "")
    elseif(table AND line MATCHES "\\(\\*([A-Za-z0-9_]+)\\)\\(.*/\\* ([0-9]+) \\*/")
        list(LENGTH ${table} position)
        if(NOT position EQUAL CMAKE_MATCH_2)
            string(APPEND failures
                   "OrvaAbi.h: ${table}.${CMAKE_MATCH_1} is numbered ${CMAKE_MATCH_2} at slot ${position}\n")
        endif()
        list(APPEND ${table} ${CMAKE_MATCH_1})
    endif()
endforeach()

# Each interface and its C table. The plug-in object's C table ends with the destructor slot
# that the implementation adds after the interface's own.
set(views
    Plugin::IRefCounted=OrvaPluginSlots
    Plugin::IPlugin=OrvaPluginSlots
    Plugin::IFileImportPlugin=OrvaPluginSlots
    Plugin::IGroundBasedMIP=OrvaPluginSlots+Destroy
    Plugin::IAngleConverter=OrvaConverterSlots
    ILinearConverter=OrvaConverterSlots
    ITemperatureConverter=OrvaConverterSlots
    IPressureConverter=OrvaConverterSlots
    IUnitConverterFactory=OrvaFactorySlots
    IImportFileList=OrvaFileListSlots
    IGroundDataReceiver=OrvaReceiverSlots)
set(prefixes Plugin::IRefCounted Plugin::IPlugin Plugin::IFileImportPlugin)
foreach(pair IN LISTS views)
    string(REGEX MATCH "^([^=]+)=([A-Za-z]+)(\\+([A-Za-z]+))?$" ignored "${pair}")
    set(interface ${CMAKE_MATCH_1})
    set(table ${CMAKE_MATCH_2})
    set(extra ${CMAKE_MATCH_4})
    if(NOT interface IN_LIST interfaces)
        string(APPEND failures "no vtable was laid out for ${interface}\n")
        continue()
    endif()
    set(c_names ${${table}})
    set(cpp_names ${${interface}_names})
    list(LENGTH cpp_names count)
    if(interface IN_LIST prefixes)
        list(SUBLIST c_names 0 ${count} c_names)
    elseif(extra)
        list(APPEND cpp_names ${extra})
    endif()
    if(NOT c_names STREQUAL cpp_names)
        string(APPEND failures
               "${interface} has the slots ${cpp_names}\n  but ${table} in OrvaAbi.h has ${c_names}\n")
    endif()
endforeach()

# ---- verdict ------------------------------------------------------------------------------
if(DEFINED MUTATION)
    if(failures STREQUAL "")
        message(FATAL_ERROR "the ${MUTATION} mutation of HostInterfaces.h passed the check")
    endif()
    message(STATUS "the ${MUTATION} mutation of HostInterfaces.h is refused:\n${failures}")
elseif(NOT failures STREQUAL "")
    message(FATAL_ERROR "${failures}")
else()
    list(LENGTH interfaces count)
    string(REGEX MATCHALL "\n" slots "${actual}")
    list(LENGTH slots slot_count)
    message(STATUS "${count} vtables, ${slot_count} slots as expected and as in OrvaAbi.h")
endif()
