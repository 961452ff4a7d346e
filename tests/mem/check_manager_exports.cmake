# Checks who provides the memory manager in a process: PROGRAM exports its
# allocation functions as weak symbols, and none of LIBRARIES defines any of them
# (they bind the program's).
#   cmake -DPROGRAM=<file> -DLIBRARIES=<file;file...> -P check_manager_exports.cmake
set(manager_symbols
  "mem_new_wrapper(" "mem_new_array_wrapper(" "mem_delete_wrapper(" "mem_stl_allocate("
  "mem_stl_deallocate(" "MEM_INITIALIZER::MEM_INITIALIZER(" "MEM_INITIALIZER::~MEM_INITIALIZER("
  "operator new(unsigned long)" "operator delete(void*)" "operator delete[](void*)"
  "stl_sprintf(" "stl_toupper(")

function(defined_symbols file out)
  execute_process(COMMAND nm -D -C --defined-only ${file}
                  OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read the symbols of ${file}")
  endif()
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

defined_symbols(${PROGRAM} program_lines)
foreach(symbol IN LISTS manager_symbols)
  set(weak FALSE)
  foreach(line IN LISTS program_lines)
    string(FIND "${line}" " W ${symbol}" at)
    if(at GREATER_EQUAL 0)
      set(weak TRUE)
    endif()
  endforeach()
  if(NOT weak)
    message(FATAL_ERROR "${PROGRAM} does not export ${symbol} as a weak symbol")
  endif()
endforeach()

foreach(library IN LISTS LIBRARIES)
  defined_symbols(${library} library_lines)
  foreach(line IN LISTS library_lines)
    foreach(symbol IN LISTS manager_symbols)
      string(FIND "${line}" " ${symbol}" at)
      if(at GREATER_EQUAL 0)
        message(FATAL_ERROR "${library} defines the manager's ${symbol}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
message(STATUS "the manager comes from ${PROGRAM} only")
