# Runs the table tool and compares its output with the committed file.
execute_process(COMMAND ${TOOL} -o ${ACTUAL} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "moon-tables failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${ACTUAL} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "src/data/moon/tables.txt differs from what tools/moon-tables writes; "
                      "build the target regenerate-moon-data")
endif()
