# cmake -DBUILD=... -DUNIT=... -P server_unit_test.cmake: installs the server's component into a
# temporary root and runs systemd-analyze verify on its unit, its programs' paths moved into that
# root (the unit names them as installed). Any word from systemd-analyze fails it: unknown keys
# are only warnings there. Skipped when systemd-analyze is missing.
find_program(ANALYZE systemd-analyze)
if(NOT ANALYZE)
  message("SKIPPED: no systemd-analyze")
  return()
endif()
set(out "${BUILD}/server-unit")
set(root "${out}/root")
file(REMOVE_RECURSE "${out}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${root}" ${CMAKE_COMMAND} --install "${BUILD}"
                        --component server --prefix /usr
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
  message(FATAL_ERROR "the server's component does not install:\n${log}")
endif()
file(READ "${root}/usr/lib/systemd/system/redsiege-server.service" unit)
string(REGEX REPLACE "([= ])/usr/" "\\1${root}/usr/" unit "${unit}")
file(WRITE "${out}/redsiege-server.service" "${unit}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "MANPATH=${root}/usr/share/man" ${ANALYZE} verify
                        "${out}/redsiege-server.service"
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed OR NOT said STREQUAL "")
  message(FATAL_ERROR "systemd-analyze verify:\n${said}")
endif()
file(REMOVE_RECURSE "${out}")
