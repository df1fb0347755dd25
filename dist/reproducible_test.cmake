# cmake -DCPACK=... -DBUILD=... -P reproducible_test.cmake: builds the Debian package twice, a
# second apart and without SOURCE_DATE_EPOCH, and fails unless the two are the same bytes.
set(out "${BUILD}/reproducible")
file(REMOVE_RECURSE "${out}")
set(debs "")
foreach(run 1 2)
  if(run EQUAL 2)
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)  # the clock must not show through
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=SOURCE_DATE_EPOCH ${CPACK} -G DEB -B "${out}/${run}"
                  WORKING_DIRECTORY "${BUILD}" RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
  file(GLOB deb "${out}/${run}/*.deb")
  if(failed OR NOT deb)
    message(FATAL_ERROR "cpack failed:\n${log}")
  endif()
  list(APPEND debs ${deb})
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${debs} RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "two builds of the package differ: ${debs}")
endif()
file(REMOVE_RECURSE "${out}")
