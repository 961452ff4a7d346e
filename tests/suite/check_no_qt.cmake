# Checks that none of FILES loads a Qt library, directly or through the
# libraries it loads: the programs without a window and the libraries they load
# start without Qt.
#   cmake -DFILES=<file;file...> -P check_no_qt.cmake
foreach(file IN LISTS FILES)
  execute_process(COMMAND ldd ${file} OUTPUT_VARIABLE closure RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot list the libraries that ${file} loads")
  endif()
  string(REPLACE "\n" ";" lines "${closure}")
  foreach(line IN LISTS lines)
    if(line MATCHES "not found")
      message(FATAL_ERROR "${file} loads a library that is missing, so its closure is unknown: ${line}")
    endif()
    if(line MATCHES "libQt")
      message(FATAL_ERROR "${file} loads Qt: ${line}")
    endif()
  endforeach()
endforeach()
message(STATUS "no Qt in the closure of ${FILES}")
