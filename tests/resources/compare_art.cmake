# Runs the art generator into OUTPUT and fails unless it draws the committed
# files: the same files, the palette and icon byte for byte, and the same
# pictures up to how text renderers differ (see compare_art.py).
#   cmake -DDISC_PYTHON=... -DSOURCE=<launcher/resources> -DOUTPUT=<dir> -P compare_art.cmake
file(REMOVE_RECURSE "${OUTPUT}")
execute_process(COMMAND "${DISC_PYTHON}" "${SOURCE}/generate_art.py" --output "${OUTPUT}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "generate_art.py failed: ${status}")
endif()
execute_process(COMMAND "${DISC_PYTHON}" "${CMAKE_CURRENT_LIST_DIR}/compare_art.py" "${SOURCE}" "${OUTPUT}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "committed art differs from what generate_art.py draws")
endif()
