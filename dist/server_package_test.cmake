# cmake -DCPACK=... -DBUILD=... -DGOLDEN=replay.rsr -P server_package_test.cmake: builds the Debian
# packages and checks the server's: it holds the server, its verifier, the unit, the man page and
# the data, and its own verifier plays a golden replay on its own data (so the data it ships is
# all the rules read: a file left out would change the data checksum).
set(out "${BUILD}/server-package")
file(REMOVE_RECURSE "${out}")
execute_process(COMMAND ${CPACK} -G DEB -B "${out}" WORKING_DIRECTORY "${BUILD}"
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB game "${out}/redsiege_*.deb")
file(GLOB server "${out}/redsiege-server_*.deb")
if(failed OR NOT game OR NOT server)
  message(FATAL_ERROR "cpack made no redsiege and redsiege-server packages:\n${log}")
endif()

execute_process(COMMAND dpkg-deb -c "${server}" OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "dpkg-deb cannot list ${server}")
endif()
foreach(path ./usr/sbin/redsiege-server ./usr/lib/redsiege-server/redsiege-verify
             ./usr/lib/systemd/system/redsiege-server.service ./usr/share/man/man8/redsiege-server.8.gz
             ./usr/share/doc/redsiege-server/copyright ./usr/share/redsiege-server/weapons.wep
             ./usr/share/redsiege-server/guys/standard.guy)
  string(FIND "${listing}" " ${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the server's package has no ${path}:\n${listing}")
  endif()
endforeach()
# Both install together: no path of the server's is the game's too.
execute_process(COMMAND dpkg-deb -c "${game}" OUTPUT_VARIABLE gameListing)
string(REGEX MATCHALL " \\./usr/[^\n]*[^/]\n" files "${listing}")
foreach(file ${files})
  string(FIND "${gameListing}" "${file}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "both packages hold${file}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb -f "${server}" Package Depends OUTPUT_VARIABLE fields)
if(NOT fields MATCHES "Package: redsiege-server\n" OR fields MATCHES "libSDL|libsdl|libgl1|libopenal")
  message(FATAL_ERROR "the server's package is not one of its own:\n${fields}")
endif()

set(root "${out}/root")
execute_process(COMMAND dpkg-deb -x "${server}" "${root}" RESULT_VARIABLE failed)
execute_process(COMMAND "${root}/usr/lib/redsiege-server/redsiege-verify" --sandbox --data "${root}/usr/share/redsiege-server" -
                INPUT_FILE "${GOLDEN}" RESULT_VARIABLE failed OUTPUT_VARIABLE line ERROR_VARIABLE why)
if(failed OR NOT line MATCHES "\"ended\":\"rescued\"")
  message(FATAL_ERROR "the packaged verifier does not play ${GOLDEN} on the packaged data: ${line}${why}")
endif()
# Started by hand from the package, the server finds its own data and verifier and listens.
execute_process(COMMAND timeout 5 "${root}/usr/sbin/redsiege-server" --listen 127.0.0.1:0 --state "${out}/state"
                OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT said MATCHES "listening on 127.0.0.1:[0-9]+")
  message(FATAL_ERROR "the packaged server does not start on its own data and verifier: ${said}")
endif()
file(REMOVE_RECURSE "${out}")
