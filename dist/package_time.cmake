# Read by cpack before it builds a package. Every time in the package (its files', its archives'
# members' and the compressed streams' headers) is taken from SOURCE_DATE_EPOCH, which cpack
# honours: unset, it is the last commit's time, so two builds of one commit give the same bytes.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  execute_process(COMMAND git -C "${CPACK_REDSIEGE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT time MATCHES "^[0-9]+$")
    set(time "${CPACK_REDSIEGE_RELEASE_TIME}")  # not a git checkout: the release's day
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${time}")
endif()
