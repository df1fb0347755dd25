# Install rules and the Debian packages: the game (the program, its data, the desktop entries,
# the replay files' type, icons, AppStream metadata, man page and copyright) and the score server (the server, its own
# verifier, the data the rules read, the systemd unit and its man page), one package each from
# one cpack run. Included by the top CMakeLists.txt after the content target; PACKAGE_DIR and
# DATA_DIR come from there.

set(REDSIEGE_APP_ID "org.redsiege.RedSiege" CACHE STRING "Desktop and AppStream id (reverse domain name)")
set(REDSIEGE_MAINTAINER "red siege team <team@redsiege.example>" CACHE STRING "Maintainer of the Debian package")
set(REDSIEGE_LICENSE "GPL-3.0-or-later")
set(REDSIEGE_RELEASE_DATE "2026-12-08")

configure_file(${CMAKE_SOURCE_DIR}/dist/redsiege.desktop.in ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.desktop @ONLY)
# Replay files open in the game through an entry of their own: the menu's entry starts the game
# with no file, and "%f" with no file would leave a bare --replay.
configure_file(${CMAKE_SOURCE_DIR}/dist/redsiege-replay.desktop.in ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.replay.desktop
               @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/redsiege.metainfo.xml.in ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/redsiege.6 ${PACKAGE_DIR}/man/redsiege.6 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/redsiege-verify.6 ${PACKAGE_DIR}/man/redsiege-verify.6 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/redsiege-server.8 ${PACKAGE_DIR}/man/redsiege-server.8 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/changelog ${PACKAGE_DIR}/doc/changelog @ONLY)

# Debian keeps manual pages and changelogs compressed; -n leaves the time out, so builds match.
find_program(GZIP gzip REQUIRED)
set(compressed ${PACKAGE_DIR}/man/redsiege.6 ${PACKAGE_DIR}/man/redsiege-verify.6 ${PACKAGE_DIR}/man/redsiege-server.8
    ${PACKAGE_DIR}/doc/changelog)
list(TRANSFORM compressed APPEND .gz OUTPUT_VARIABLE compressed_gz)
add_custom_command(
  OUTPUT ${compressed_gz}
  COMMAND ${GZIP} -9nkf ${compressed}
  DEPENDS ${compressed}
  COMMENT "Compressing the man pages and changelog")
add_custom_target(package_files ALL DEPENDS ${compressed_gz} content)

# Everything below without a component of its own is the game's.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)
install(TARGETS redsiege redsiege-verify RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The build's data folder may still hold a player's options and scores from before the player
# had folders of their own; the install ships the compiler's options and no scores.
install(DIRECTORY ${DATA_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/redsiege
        PATTERN ".stamp" EXCLUDE PATTERN "options.zop" EXCLUDE PATTERN "*.zsc" EXCLUDE PATTERN "*.tmp" EXCLUDE
        PATTERN ".write-test-*" EXCLUDE)
install(FILES ${PACKAGE_DIR}/options.zop DESTINATION ${CMAKE_INSTALL_DATADIR}/redsiege)
install(DIRECTORY ${PACKAGE_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.desktop ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.replay.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The replay files' type; Debian's shared-mime-info trigger updates the database.
install(FILES ${CMAKE_SOURCE_DIR}/dist/redsiege-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${REDSIEGE_APP_ID}.xml)
install(FILES ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PACKAGE_DIR}/man/redsiege.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
# The replay checker's page, when there is the checker: the target may be defined after this file
# is read, so the test waits for the whole project.
function(redsiege_install_verify_page)
  if(TARGET redsiege-verify)
    install(FILES ${PACKAGE_DIR}/man/redsiege-verify.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  endif()
endfunction()
cmake_language(DEFER CALL redsiege_install_verify_page)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${PACKAGE_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The score server's package stands alone on a host without a display: its own copy of the
# verifier and of the data the rules read (the figure, its animations, the weapon table and the
# level pieces, which GameDataChecksum covers), rather than a dependency on the game's package,
# which would bring SDL, GL and OpenAL along. Its paths are its own, so both install together.
if(TARGET redsiege-server)
  set(REDSIEGE_SERVER_PARTS game server)
  install(TARGETS redsiege-server RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT server)
  install(PROGRAMS $<TARGET_FILE:redsiege-verify> DESTINATION lib/redsiege-server COMPONENT server)
  install(DIRECTORY ${DATA_DIR}/animations ${DATA_DIR}/guys "${DATA_DIR}/zombie levels"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/redsiege-server COMPONENT server PATTERN "*.tmp" EXCLUDE)
  install(FILES ${DATA_DIR}/weapons.wep DESTINATION ${CMAKE_INSTALL_DATADIR}/redsiege-server COMPONENT server)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/redsiege-server.service DESTINATION lib/systemd/system COMPONENT server)
  install(FILES ${PACKAGE_DIR}/man/redsiege-server.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT server)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${PACKAGE_DIR}/doc/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/redsiege-server COMPONENT server)
else()
  set(REDSIEGE_SERVER_PARTS game)
endif()

# cpack -G DEB: one package a component, the dependencies from the libraries each program links
# (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME redsiege)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${REDSIEGE_MAINTAINER}")
# Each package's first line of description is its summary: none shared, which cpack would put
# first in both.
set(REDSIEGE_SUMMARY "side-view action game: hold your base through the nights")
set(CPACK_PACKAGE_DESCRIPTION "Run, jump and aim with the mouse across block terrain rebuilt every day,
carry supply crates to your base, and hold out through the nights against the
dead until the helicopter comes. Every picture, sound and level piece is made
by the game's own code.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${REDSIEGE_SERVER_PARTS})
set(CPACK_DEBIAN_GAME_PACKAGE_NAME redsiege)
set(CPACK_COMPONENT_GAME_DESCRIPTION "${REDSIEGE_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
# SDL opens the GL library at run time, which no linker sees: the one dependency named by hand.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME redsiege-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "world high scores for red siege, each proven by its replay
Keeps the world high-score boards of the game red siege over HTTP, in SQLite or
PostgreSQL. It never takes a claimed score: every submitted game is played
again from its replay, in a sandboxed child with limits, and ranked by the
scores its play reaches. Ships a systemd unit with a dynamic user.")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/dist/deb_layout.cmake)
set(CPACK_REDSIEGE_STRIP ${CMAKE_STRIP})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/dist/package_time.cmake)
set(CPACK_REDSIEGE_SOURCE_DIR ${CMAKE_SOURCE_DIR})
execute_process(COMMAND date -u -d "${REDSIEGE_RELEASE_DATE}" +%s OUTPUT_VARIABLE CPACK_REDSIEGE_RELEASE_TIME
                OUTPUT_STRIP_TRAILING_WHITESPACE)
include(CPack)

# The validators of the desktop entry and the metadata, when they are installed, and two builds
# of the Debian package compared.
function(redsiege_validator_tests)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME DesktopEntry.Validates COMMAND ${DESKTOP_FILE_VALIDATE} ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.desktop
                                                 ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.replay.desktop)
  endif()
  # With the network checks: the metadata names no address that could fail them.
  if(APPSTREAMCLI)
    add_test(NAME AppStreamMetadata.Validates
             COMMAND ${APPSTREAMCLI} validate --pedantic ${PACKAGE_DIR}/${REDSIEGE_APP_ID}.metainfo.xml)
  endif()
  if(DPKG_SHLIBDEPS)
    add_test(NAME DebianPackage.IsReproducible
             COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
                     -P ${CMAKE_SOURCE_DIR}/dist/reproducible_test.cmake)
    if(TARGET redsiege-server)
      add_test(NAME DebianPackage.ServerInstallsItsFiles
               COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
                       -DGOLDEN=${CMAKE_SOURCE_DIR}/tests/data/golden/rescue.rsr
                       -P ${CMAKE_SOURCE_DIR}/dist/server_package_test.cmake)
    endif()
  endif()
  if(TARGET redsiege-server)
    add_test(NAME ServerUnit.PassesSystemdAnalyze
             COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -P ${CMAKE_SOURCE_DIR}/dist/server_unit_test.cmake)
    set_tests_properties(ServerUnit.PassesSystemdAnalyze PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED: ")
  endif()
endfunction()
