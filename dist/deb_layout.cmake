# Run by CPack on the staged files of the Debian packages, before they are built: what Debian's
# policy asks of a game and of a service beyond a plain install. Each package is staged in a
# folder named after its component.
set(game "${CPACK_TEMPORARY_DIRECTORY}/game/usr")
set(server "${CPACK_TEMPORARY_DIRECTORY}/server/usr")
if(NOT EXISTS "${game}/bin/redsiege")
  message(FATAL_ERROR "deb_layout: no ${game}/bin/redsiege to move")
endif()

# What dh_strip drops beyond the symbols.
function(strip_notes program)
  execute_process(COMMAND "${CPACK_REDSIEGE_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "deb_layout: strip failed on ${program}")
  endif()
endfunction()

# Games live in /usr/games, the replay checker beside the game; the data stays one folder up and
# across, where the programs look.
file(MAKE_DIRECTORY "${game}/games")
file(GLOB programs "${game}/bin/*")
foreach(program ${programs})
  get_filename_component(name "${program}" NAME)
  file(RENAME "${program}" "${game}/games/${name}")
  strip_notes("${game}/games/${name}")
endforeach()
file(REMOVE_RECURSE "${game}/bin")
# The two texts are screens of the game, not documentation.
file(MAKE_DIRECTORY "${game}/share/lintian/overrides")
file(WRITE "${game}/share/lintian/overrides/redsiege"
  "# Shown by the game's instructions and credits screens, read from its data folder.\n"
  "redsiege: package-contains-documentation-outside-usr-share-doc [usr/share/redsiege/credits.txt]\n"
  "redsiege: package-contains-documentation-outside-usr-share-doc [usr/share/redsiege/instructions.txt]\n")

# The server and its verifier stay where the unit names them.
if(EXISTS "${server}")
  foreach(program "${server}/sbin/redsiege-server" "${server}/lib/redsiege-server/redsiege-verify")
    if(NOT EXISTS "${program}")
      message(FATAL_ERROR "deb_layout: no ${program} in the server's package")
    endif()
    strip_notes("${program}")
  endforeach()
endif()
