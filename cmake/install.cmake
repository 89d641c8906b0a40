# Installing Varnel's mah-jong the way Debian desktop games are installed, and its Debian package.
#
#   cmake --install <build> [--prefix /usr]       programs, launchers, shared game folder, menus
#   cmake --build <build> --target game_programs && (cd <build> && cpack)   the .deb
#
# The programs read their game folder from their working directory, so they are not started
# directly: each has a small launcher in bin/ that prepares the player's own game folder from the
# shared, read-only one (tools/prepare-game-folder.sh, installed beside the programs) and starts
# the program there. The launchers go to games/ as Debian wants for games; the rest follows the
# GNUInstallDirs folders. Installed layout, below the prefix:
#
#   games/varnels-mahjong-2d ...                   the launchers (in the menus and the PATH)
#   libexec/varnels-mahjong/board2d ...            the programs and prepare-game-folder
#   share/varnels-mahjong/                         the shipped game folder (data/)
#   share/applications/varnels-mahjong-*.desktop   one menu entry per program
#   share/icons/hicolor/<N>x<N>/apps/              the icon, 16 to 512 pixels
#   share/metainfo/                                the software-centre description
#   share/man/man6/varnels-mahjong-*.6.gz          one manual page per launcher
#   share/doc/varnels-mahjong/                     copyright and changelog
#
# The version everywhere is the project's version; the release notes come from CHANGELOG.md.

include(GNUInstallDirs)

set(VARNEL_PACKAGE_NAME varnels-mahjong)
set(VARNEL_APPSTREAM_ID "org.example.varnels_mahjong"
    CACHE STRING "Software-centre identifier of the game (reverse domain name)")
set(VARNEL_WEBSITE "https://varnels-mahjong.example.org"
    CACHE STRING "The game's web address; the screenshots are published below it")
set(VARNEL_MAINTAINER "Varnel's mah-jong developers <varnels-mahjong@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

# Debian keeps games apart from other programs (/usr/games, also on the players' PATH): the
# launchers go there. Like the GNUInstallDirs folders it is relative to the prefix.
set(VARNEL_INSTALL_GAMESDIR "games" CACHE PATH "Folder of the game launchers (below the prefix)")
if(IS_ABSOLUTE "${VARNEL_INSTALL_GAMESDIR}")
    set(VARNEL_FULL_GAMESDIR "${VARNEL_INSTALL_GAMESDIR}")
else()
    set(VARNEL_FULL_GAMESDIR "${CMAKE_INSTALL_PREFIX}/${VARNEL_INSTALL_GAMESDIR}")
endif()
set(VARNEL_LIBEXEC_DIR "${CMAKE_INSTALL_LIBEXECDIR}/${VARNEL_PACKAGE_NAME}")
set(VARNEL_SHARED_DIR "${CMAKE_INSTALL_DATADIR}/${VARNEL_PACKAGE_NAME}")
# Debian's place for the copyright and changelog, named after the package.
set(VARNEL_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/${VARNEL_PACKAGE_NAME}")
set(VARNEL_INSTALL_SOURCE "${CMAKE_SOURCE_DIR}/data-install")
set(VARNEL_INSTALL_BUILD "${CMAKE_BINARY_DIR}/install-files")
# Folders made while installing are readable by everyone whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Launchers find the programs and the shared folder relative to their own place.
file(RELATIVE_PATH VARNEL_BIN_TO_LIBEXEC "${VARNEL_FULL_GAMESDIR}"
     "${CMAKE_INSTALL_FULL_LIBEXECDIR}/${VARNEL_PACKAGE_NAME}")
file(RELATIVE_PATH VARNEL_BIN_TO_SHARED "${VARNEL_FULL_GAMESDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/${VARNEL_PACKAGE_NAME}")

# ---------------------------------------------------------------- release notes

# CHANGELOG.md: "## VERSION - YYYY-MM-DD" starts a release, "- " an item, indented lines continue
# it. Semicolons would split CMake lists, so they travel as a placeholder.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/CHANGELOG.md")
file(READ "${CMAKE_SOURCE_DIR}/CHANGELOG.md" varnel_changelog)
string(REPLACE ";" "<semicolon>" varnel_changelog "${varnel_changelog}")
string(REPLACE "\n" ";" varnel_changelog_lines "${varnel_changelog}")

function(varnel_xml_text out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<semicolon>" ";" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The day of the week of a date, as Debian changelogs write it (Sakamoto's method).
function(varnel_weekday out year month day)
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${month} - 1")
    list(GET offsets ${index} offset)
    if(month LESS 3)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR weekday
         "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
    set(names Sun Mon Tue Wed Thu Fri Sat)
    list(GET names ${weekday} name)
    set(${out} "${name}" PARENT_SCOPE)
endfunction()

set(VARNEL_RELEASES "")
set(VARNEL_DEBIAN_CHANGELOG "")
set(VARNEL_RELEASE_DATE "")
set(varnel_release "")
set(varnel_items_xml "")
set(varnel_items_debian "")
set(varnel_item "")
# A closing line flushes the last release.
list(APPEND varnel_changelog_lines "## end")
foreach(line IN LISTS varnel_changelog_lines)
    if(line MATCHES "^- (.*)$" OR line MATCHES "^## ")
        if(NOT varnel_item STREQUAL "")
            varnel_xml_text(item_xml "${varnel_item}")
            string(APPEND varnel_items_xml "          <li>${item_xml}</li>\n")
        endif()
        set(varnel_item "")
    endif()
    if(line MATCHES "^## ")
        if(NOT varnel_release STREQUAL "")
            string(APPEND VARNEL_RELEASES
                   "    <release version=\"${varnel_release}\" date=\"${varnel_date}\">\n"
                   "      <description>\n        <ul>\n${varnel_items_xml}"
                   "        </ul>\n      </description>\n    </release>\n")
            string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ "${varnel_date}")
            math(EXPR month "${CMAKE_MATCH_2}")
            math(EXPR day "${CMAKE_MATCH_3}")
            varnel_weekday(weekday ${CMAKE_MATCH_1} ${month} ${day})
            set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
            math(EXPR month_index "${month} - 1")
            list(GET months ${month_index} month_name)
            string(REPLACE "<semicolon>" ";" items_debian "${varnel_items_debian}")
            string(APPEND VARNEL_DEBIAN_CHANGELOG
                   "${VARNEL_PACKAGE_NAME} (${varnel_release}) unstable; urgency=medium\n\n"
                   "${items_debian}\n -- ${VARNEL_MAINTAINER}  "
                   "${weekday}, ${CMAKE_MATCH_3} ${month_name} ${CMAKE_MATCH_1} 12:00:00 +0000\n\n")
        endif()
        set(varnel_release "")
        set(varnel_items_xml "")
        set(varnel_items_debian "")
        if(line MATCHES "^## ([0-9][0-9.]*) - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
            set(varnel_release "${CMAKE_MATCH_1}")
            set(varnel_date "${CMAKE_MATCH_2}")
            if(VARNEL_RELEASE_DATE STREQUAL "")
                set(VARNEL_RELEASE_VERSION "${varnel_release}")
                set(VARNEL_RELEASE_DATE "${varnel_date}")
            endif()
        elseif(NOT line STREQUAL "## end")
            message(WARNING "CHANGELOG.md: a release line reads \"## VERSION - YYYY-MM-DD\": ${line}")
        endif()
    elseif(line MATCHES "^- (.*)$")
        set(varnel_item "${CMAKE_MATCH_1}")
        string(APPEND varnel_items_debian "  * ${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^  +(.*)$" AND NOT varnel_item STREQUAL "")
        string(APPEND varnel_item " ${CMAKE_MATCH_1}")
        string(APPEND varnel_items_debian "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()
if(NOT VARNEL_RELEASE_VERSION STREQUAL PROJECT_VERSION)
    message(WARNING "CHANGELOG.md starts with release ${VARNEL_RELEASE_VERSION}, "
                    "but the project's version is ${PROJECT_VERSION}")
endif()

file(WRITE "${VARNEL_INSTALL_BUILD}/changelog" "${VARNEL_DEBIAN_CHANGELOG}")

# ---------------------------------------------------------------- programs and launchers

# Everything the installation takes from the build; the package script builds only this.
add_custom_target(game_programs ALL)

set(VARNEL_LAUNCHABLES "")
set(VARNEL_PROVIDES "")

# Compresses a file the way Debian ships manual pages and changelogs (no name, no time stamp).
function(varnel_gzip source output)
    add_custom_command(OUTPUT "${output}"
                       COMMAND gzip -9 -n -c "${source}" > "${output}"
                       DEPENDS "${source}" VERBATIM)
endfunction()

# One edition: its program, launcher, menu entry and manual page.
#   TARGET    the program's CMake target     LAUNCHER  the launcher's name (and desktop file's)
#   TITLE     "the flat board" ...           SETTINGS  the edition's settings file
#   SUMMARY   the manual page's one-line description
#   DESCRIPTION what the edition draws, one sentence ending with a full stop
function(varnel_install_edition)
    cmake_parse_arguments(ED "" "TARGET;LAUNCHER;TITLE;SETTINGS;SUMMARY;DESCRIPTION" "" ${ARGN})
    install(TARGETS ${ED_TARGET} RUNTIME DESTINATION "${VARNEL_LIBEXEC_DIR}")
    add_dependencies(game_programs ${ED_TARGET})

    set(LAUNCHER_NAME "${ED_LAUNCHER}")
    set(LAUNCHER_TITLE "${ED_TITLE}")
    set(LAUNCHER_PROGRAM "${ED_TARGET}")
    set(BIN_TO_LIBEXEC "${VARNEL_BIN_TO_LIBEXEC}")
    set(BIN_TO_SHARED "${VARNEL_BIN_TO_SHARED}")
    configure_file("${VARNEL_INSTALL_SOURCE}/launcher.sh.in"
                   "${VARNEL_INSTALL_BUILD}/bin/${ED_LAUNCHER}" @ONLY)
    install(PROGRAMS "${VARNEL_INSTALL_BUILD}/bin/${ED_LAUNCHER}"
            DESTINATION "${VARNEL_INSTALL_GAMESDIR}")
    install(FILES "${VARNEL_INSTALL_SOURCE}/desktop/${ED_LAUNCHER}.desktop"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

    set(PAGE_NAME "${ED_LAUNCHER}")
    string(TOUPPER "${ED_LAUNCHER}" PAGE_NAME_UPPER)
    set(PAGE_SUMMARY "${ED_SUMMARY}")
    set(PAGE_DESCRIPTION "${ED_DESCRIPTION}")
    set(PAGE_PROGRAM "${ED_TARGET}")
    # The page names installed paths, so the prefix goes in when it is known: at install time
    # (cmake --install --prefix, or CPack's /usr).
    set(PAGE_PROGRAM_PATH "@PREFIX@/${VARNEL_LIBEXEC_DIR}/${ED_TARGET}")
    set(PAGE_SHARED_FOLDER "@PREFIX@/${VARNEL_SHARED_DIR}")
    set(PAGE_SETTINGS "${ED_SETTINGS}")
    if(ED_SETTINGS STREQUAL "TAVX2D.INI")
        set(PAGE_SETTINGS_OWNER "the 2D edition")
    else()
        set(PAGE_SETTINGS_OWNER "both 3D editions")
    endif()
    set(PAGE_SEE_ALSO "${VARNEL_SEE_ALSO}")
    list(REMOVE_ITEM PAGE_SEE_ALSO "${ED_LAUNCHER}")
    list(TRANSFORM PAGE_SEE_ALSO APPEND "(6)")
    list(JOIN PAGE_SEE_ALSO ", " PAGE_SEE_ALSO)
    set(page "${VARNEL_INSTALL_BUILD}/man/${ED_LAUNCHER}.6")
    configure_file("${VARNEL_INSTALL_SOURCE}/man/varnels-mahjong.6.in" "${page}.in" @ONLY)
    install(CODE "
        file(READ \"${page}.in\" page)
        string(REPLACE \"@PREFIX@\" \"\${CMAKE_INSTALL_PREFIX}\" page \"\${page}\")
        file(WRITE \"${page}\" \"\${page}\")
        execute_process(COMMAND gzip -9 -n -f \"${page}\" RESULT_VARIABLE zipped)
        if(NOT zipped EQUAL 0)
            message(FATAL_ERROR \"gzip failed on ${page}\")
        endif()
        file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man6\"
             TYPE FILE FILES \"${page}.gz\")")

    set(VARNEL_LAUNCHABLES
        "${VARNEL_LAUNCHABLES}  <launchable type=\"desktop-id\">${ED_LAUNCHER}.desktop</launchable>\n"
        PARENT_SCOPE)
    set(VARNEL_PROVIDES "${VARNEL_PROVIDES}    <binary>${ED_LAUNCHER}</binary>\n" PARENT_SCOPE)
endfunction()

# The launchers of the programs this build has, for the manual pages' cross references.
set(VARNEL_SEE_ALSO varnels-mahjong-2d)
if(TARGET board3d_gl)
    list(APPEND VARNEL_SEE_ALSO varnels-mahjong-3d)
endif()
if(TARGET board3d_d3d)
    list(APPEND VARNEL_SEE_ALSO varnels-mahjong-3d-software)
endif()

varnel_install_edition(
    TARGET board2d LAUNCHER varnels-mahjong-2d TITLE "the 2D edition" SETTINGS TAVX2D.INI
    SUMMARY "flat board with a layout editor"
    DESCRIPTION "draws a flat board with tile thickness and shadows, and has a layout editor.")
# The 3D programs join as they are built: each is installed once its target exists.
if(TARGET board3d_gl)
    varnel_install_edition(
        TARGET board3d_gl LAUNCHER varnels-mahjong-3d TITLE "the 3D edition" SETTINGS TAVX3D.INI
        SUMMARY "3D board drawn by the graphics card"
        DESCRIPTION "draws a textured, shadowed 3D board through OpenGL.")
endif()
if(TARGET board3d_d3d)
    varnel_install_edition(
        TARGET board3d_d3d LAUNCHER varnels-mahjong-3d-software
        TITLE "the 3D edition without GPU" SETTINGS TAVX3D.INI
        SUMMARY "3D board drawn by the processor"
        DESCRIPTION "draws the same 3D board with the game's own software renderer, for machines without 3D graphics.")
endif()

install(PROGRAMS "${CMAKE_SOURCE_DIR}/tools/prepare-game-folder.sh"
        DESTINATION "${VARNEL_LIBEXEC_DIR}" RENAME prepare-game-folder)

# ---------------------------------------------------------------- shared data and desktop files

# The shipped game folder. The players' own score and saved-game folders are made by the launcher.
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/" DESTINATION "${VARNEL_SHARED_DIR}"
        PATTERN ".keep" EXCLUDE PATTERN "SCORES" EXCLUDE PATTERN "SAVEGAME" EXCLUDE)

foreach(size 16 22 24 32 48 64 128 256 512)
    install(FILES "${VARNEL_INSTALL_SOURCE}/icons/${size}x${size}/varnels-mahjong.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()

string(STRIP "${VARNEL_LAUNCHABLES}" VARNEL_LAUNCHABLES)
set(VARNEL_LAUNCHABLES "  ${VARNEL_LAUNCHABLES}")
string(REGEX REPLACE "\n$" "" VARNEL_PROVIDES "${VARNEL_PROVIDES}")
string(REGEX REPLACE "\n$" "" VARNEL_RELEASES "${VARNEL_RELEASES}")
set(VARNEL_METAINFO "${VARNEL_INSTALL_BUILD}/${VARNEL_APPSTREAM_ID}.metainfo.xml")
configure_file("${VARNEL_INSTALL_SOURCE}/varnels-mahjong.metainfo.xml.in" "${VARNEL_METAINFO}"
               @ONLY)
install(FILES "${VARNEL_METAINFO}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

varnel_gzip("${VARNEL_INSTALL_BUILD}/changelog" "${VARNEL_INSTALL_BUILD}/changelog.gz")
install(FILES "${VARNEL_INSTALL_BUILD}/changelog.gz" DESTINATION "${VARNEL_DOC_DIR}")
install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" DESTINATION "${VARNEL_DOC_DIR}"
        RENAME copyright)

add_custom_target(install_files ALL DEPENDS "${VARNEL_INSTALL_BUILD}/changelog.gz")
add_dependencies(game_programs install_files)

# ---------------------------------------------------------------- Debian package

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "${VARNEL_PACKAGE_NAME}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${VARNEL_MAINTAINER}")
set(CPACK_PACKAGE_VENDOR "The Varnel's mah-jong developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mahjong solitaire game with a 2D and a 3D board")
# The long description, in lines of at most 80 characters as Debian wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Varnel's mah-jong is a mahjong-solitaire game: 144 tiles are stacked on up to"
    "five layers; remove pairs of matching free tiles until the board is empty."
    "It offers undo, hints, automatic play of solvable deals, an easy mode, saved"
    "games, a hall of fame per layout, exchangeable layouts, tile sets and"
    "backgrounds, sound effects, music, help and texts in six languages. The 2D"
    "edition has a layout editor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VARNEL_WEBSITE}")
# The libraries (Qt 6 widgets and OpenGL, libjpeg62-turbo, the C++ run time) come from the
# programs themselves; the rest is what they load at run time: SDL2_mixer (loaded when the sound
# device opens; 2.6 for the functions it is asked for), the music's sound font and Qt's platform
# plugins (the X11 and Wayland windows).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-mixer-2.0-0 (>= 2.6), timgm6mb-soundfont, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

# ---------------------------------------------------------------- checks

# The game-folder preparation alone; the menu entries and metainfo against their validators; the
# installed board2d started through its launcher on the test display (skipped without one); and
# the package made by CPack, checked by lintian.

add_test(NAME InstallPrepareGameFolder
         COMMAND "${CMAKE_SOURCE_DIR}/tests/install/prepare_game_folder_test.sh"
                 "${CMAKE_SOURCE_DIR}/tools/prepare-game-folder.sh" "${CMAKE_SOURCE_DIR}/data")
add_test(NAME InstallDesktopEntries
         COMMAND desktop-file-validate
                 "${VARNEL_INSTALL_SOURCE}/desktop/varnels-mahjong-2d.desktop"
                 "${VARNEL_INSTALL_SOURCE}/desktop/varnels-mahjong-3d.desktop"
                 "${VARNEL_INSTALL_SOURCE}/desktop/varnels-mahjong-3d-software.desktop")
add_test(NAME InstallMetainfo
         COMMAND "${CMAKE_SOURCE_DIR}/tests/install/metainfo_test.sh" "${VARNEL_METAINFO}"
                 "${PROJECT_VERSION}" "${VARNEL_INSTALL_SOURCE}/desktop")
add_test(NAME InstallStartThroughLauncher
         COMMAND "${CMAKE_SOURCE_DIR}/tests/install/install_and_start_test.sh" "${CMAKE_BINARY_DIR}"
                 "${PROJECT_VERSION}")
set_tests_properties(InstallStartThroughLauncher PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                     ENVIRONMENT "CMAKE=${CMAKE_COMMAND}")
add_test(NAME InstallDebianPackage
         COMMAND "${CMAKE_SOURCE_DIR}/tests/install/package_test.sh" "${CMAKE_BINARY_DIR}"
                 "${PROJECT_VERSION}")
set_tests_properties(InstallDebianPackage PROPERTIES TIMEOUT 600
                     ENVIRONMENT "CPACK=${CMAKE_CPACK_COMMAND}")
