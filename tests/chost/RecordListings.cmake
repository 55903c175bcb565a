# The WebAssembly build must deliver exactly what the native build delivers: every call of the
# receiver and of the converter factory, in order, for generated jobs, the examples and the test
# files (Cyrillic text, a typo in a unit, separators of other kinds). The native listing comes from
# the linux-release build, which ./test builds first.
set(ORVA_NATIVE_BUILD ${PROJECT_SOURCE_DIR}/build/linux-release CACHE PATH
    "The native build whose record listings the WebAssembly build must repeat")
add_test(NAME chost_records_native
    COMMAND ${CMAKE_COMMAND}
        -DGENERATOR=${PROJECT_SOURCE_DIR}/bench/generate-job.py
        -DSOURCE=${PROJECT_SOURCE_DIR}
        -DNODE=${CMAKE_CROSSCOMPILING_EMULATOR}
        -DWASM_HOST=$<TARGET_FILE:orva_chost>
        -DNATIVE_HOST=${ORVA_NATIVE_BUILD}/bin/orva_chost
        -DNATIVE_LIBRARY=${ORVA_NATIVE_BUILD}/bin/liborva.so
        -DWORK=${CMAKE_CURRENT_BINARY_DIR}/records
        -P ${CMAKE_CURRENT_SOURCE_DIR}/CompareRecords.cmake)
