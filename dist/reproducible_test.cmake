# cmake -DCPACK=... -DBUILD=... -P reproducible_test.cmake: builds the Debian packages twice, a
# second apart and without SOURCE_DATE_EPOCH, and fails unless each is the same bytes both times.
set(out "${BUILD}/reproducible")
file(REMOVE_RECURSE "${out}")
foreach(run 1 2)
  if(run EQUAL 2)
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)  # the clock must not show through
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=SOURCE_DATE_EPOCH ${CPACK} -G DEB -B "${out}/${run}"
                  WORKING_DIRECTORY "${BUILD}" RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  file(GLOB debs RELATIVE "${out}/${run}" "${out}/${run}/*.deb")
  if(failed OR NOT debs)
    message(FATAL_ERROR "cpack failed:\n${log}")
  endif()
  set(debs${run} ${debs})
endforeach()
# Each package of the run (the game's, the server's) the same bytes both times.
if(NOT debs1 STREQUAL debs2)
  message(FATAL_ERROR "the two builds made other packages: ${debs1} and ${debs2}")
endif()
foreach(deb ${debs1})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${out}/1/${deb}" "${out}/2/${deb}" RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "two builds of the package differ: ${deb}")
  endif()
endforeach()
file(REMOVE_RECURSE "${out}")
