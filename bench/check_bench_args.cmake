# Checks a benchmark program's command line without running its work:
#   cmake -DPROGRAM=<program> -DREFUSED=<arguments> -P check_bench_args.cmake
# `--help` must print the usage and exit 0 without printing a figure; the
# arguments REFUSED (separated by commas, "abc" or "100,abc") must be refused
# with status 2 and the reason on standard error. A program that starts its work instead is
# stopped after two minutes, which fails the check.
foreach(run help refused)
  if(run STREQUAL "help")
    set(arguments --help)
  else()
    string(REPLACE "," ";" arguments "${REFUSED}")
  endif()
  execute_process(COMMAND ${PROGRAM} ${arguments} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 120)
  if(run STREQUAL "help")
    if(NOT status EQUAL 0 OR NOT out MATCHES "^usage: " OR out MATCHES "(ratio|exponent) [^ :\n]+: ")
      message(FATAL_ERROR "${PROGRAM} --help: status ${status}, output:\n${out}${err}")
    endif()
  elseif(NOT status EQUAL 2 OR NOT err MATCHES "(not \"abc\"|unexpected argument \"abc\")\n"
         OR NOT out STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} ${arguments}: status ${status}, output:\n${out}${err}")
  endif()
endforeach()
