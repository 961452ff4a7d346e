# Checks that none of FILES loads a library whose name matches PATTERN, directly
# or through the libraries it loads, when it starts.
#   cmake -DFILES=<file;file...> -DPATTERN=<regex> -P check_not_loaded.cmake
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
    if(line MATCHES "${PATTERN}")
      message(FATAL_ERROR "${file} loads ${line}")
    endif()
  endforeach()
endforeach()
message(STATUS "nothing matching ${PATTERN} in the closure of ${FILES}")
