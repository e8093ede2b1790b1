# Runs the art generator into OUTPUT and fails unless every file it writes is
# committed under SOURCE byte for byte, and nothing committed is missing.
#   cmake -DPYTHON=... -DSOURCE=<launcher/resources> -DOUTPUT=<dir> -P compare_art.cmake
file(REMOVE_RECURSE "${OUTPUT}")
execute_process(COMMAND "${PYTHON}" "${SOURCE}/generate_art.py" --output "${OUTPUT}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "generate_art.py failed: ${status}")
endif()

file(GLOB_RECURSE generated RELATIVE "${OUTPUT}" "${OUTPUT}/*")
file(GLOB committed RELATIVE "${SOURCE}"
    "${SOURCE}/*.bin" "${SOURCE}/*.ico" "${SOURCE}/bitmaps/*.bmp")
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
    message(FATAL_ERROR "generated files\n  ${generated}\ndiffer from committed files\n  ${committed}")
endif()

set(stale)
foreach(file IN LISTS generated)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}/${file}" "${SOURCE}/${file}"
        RESULT_VARIABLE different)
    if(different)
        list(APPEND stale "${file}")
    endif()
endforeach()
if(stale)
    message(FATAL_ERROR "committed files differ from what generate_art.py draws: ${stale}")
endif()
list(LENGTH generated count)
message(STATUS "${count} committed art files match the generator")
