# Runs the graphical host with no display it can use in its environment: asked
# to show a dialog it says in one line how to get a display and exits 1; --help still
# works and lists every entry point (exported C function) of the dialogs
# plug-in.
#   cmake -DTSGUI=<file> -DPLUGIN=<libprojdialogs.so> -P check_tsgui_without_display.cmake
set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
               --unset=QT_QPA_PLATFORM)

# No display at all, a display that no server answers, and only a Wayland
# display (which this Qt cannot use): the same one line each time.
set(unreachable ${CMAKE_COMMAND} -E env DISPLAY=unreachable.invalid:57 --unset=WAYLAND_DISPLAY
                --unset=QT_QPA_PLATFORM)
set(wayland_only ${CMAKE_COMMAND} -E env --unset=DISPLAY WAYLAND_DISPLAY=wayland-57
                 XDG_RUNTIME_DIR=/nonexistent --unset=QT_QPA_PLATFORM)
foreach(environment no_display unreachable wayland_only)
  execute_process(COMMAND ${${environment}} ${TSGUI} mdb_dyn_get_ip_regen_dlg
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 1)
    message(FATAL_ERROR "${environment}: tsgui exited with ${status}, not 1:\n${out}${err}")
  endif()
  string(STRIP "${out}${err}" said)
  if(said MATCHES "\n" OR NOT said MATCHES "display" OR NOT said MATCHES "xvfb-run"
     OR NOT said MATCHES "QT_QPA_PLATFORM=offscreen")
    message(FATAL_ERROR "${environment}: tsgui should say in one line that it needs a display, "
                        "naming xvfb-run and QT_QPA_PLATFORM=offscreen; it said:\n${said}")
  endif()
endforeach()

execute_process(COMMAND ${no_display} ${TSGUI} --help
                OUTPUT_VARIABLE help ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "tsgui --help exited with ${status}:\n${help}${err}")
endif()
execute_process(COMMAND nm -D --defined-only ${PLUGIN} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE status)
# The exported C functions: every other export is a C++ name ("_Z...") or a
# reserved one.
string(REGEX MATCHALL " T [A-Za-z][A-Za-z0-9_]*" exported "${symbols}")
set(entry_points)
foreach(line IN LISTS exported)
  string(SUBSTRING "${line}" 3 -1 name)
  list(APPEND entry_points ${name})
endforeach()
list(FIND entry_points mdb_ras_dyn_remove_assignment remove_assignment)
if(NOT status EQUAL 0 OR remove_assignment LESS 0)
  message(FATAL_ERROR "cannot read the entry points of ${PLUGIN}")
endif()
foreach(entry_point IN LISTS entry_points)
  if(NOT help MATCHES "\n  ${entry_point}\n")
    message(FATAL_ERROR "tsgui --help does not list ${entry_point}:\n${help}")
  endif()
endforeach()
message(STATUS "tsgui without a display: the hint and exit 1; --help lists ${entry_points}")
