# Run by CPack on the staged files of the Debian package, before it is built: what Debian's
# policy asks of a game beyond a plain install.
set(root "${CPACK_TEMPORARY_DIRECTORY}/usr")
if(NOT EXISTS "${root}/bin/redsiege")
  message(FATAL_ERROR "deb_layout: no ${root}/bin/redsiege to move")
endif()
# Games live in /usr/games; the data stays one folder up and across, where the program looks.
# redsiege-verify, which plays a replay without a window, goes beside the game.
file(MAKE_DIRECTORY "${root}/games")
foreach(program redsiege redsiege-verify)
  file(RENAME "${root}/bin/${program}" "${root}/games/${program}")
  # What dh_strip drops beyond the symbols.
  execute_process(COMMAND "${CPACK_REDSIEGE_STRIP}" --remove-section=.comment --remove-section=.note
                          "${root}/games/${program}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "deb_layout: strip failed")
  endif()
endforeach()
file(REMOVE_RECURSE "${root}/bin")
# The two texts are screens of the game, not documentation.
file(MAKE_DIRECTORY "${root}/share/lintian/overrides")
file(WRITE "${root}/share/lintian/overrides/redsiege"
  "# Shown by the game's instructions and credits screens, read from its data folder.\n"
  "redsiege: package-contains-documentation-outside-usr-share-doc [usr/share/redsiege/credits.txt]\n"
  "redsiege: package-contains-documentation-outside-usr-share-doc [usr/share/redsiege/instructions.txt]\n")
