# Installation: the front end and the test engine go to libexec/vykon3d, the
# shared files (scenes, help, the shipped systems database) to
# share/vykon3d, and bin/vykon3d is a launcher that prepares the user's own
# working folder and starts the front end there. A .desktop entry and an icon
# put the program into the desktop's menu, AppStream metadata into software
# centres, and manual pages, the licence and the changelog go where Debian
# wants them. The results service with its systemd unit and manual page is a
# component of its own, "server"; everything else is "vykon3d". CPack builds
# a Debian package of each: vykon3d, the program users run, and
# vykon3d-server.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME vykon3d)

set(VYKON_LIBEXEC_DIR "${CMAKE_INSTALL_LIBEXECDIR}/vykon3d")
set(VYKON_SHARE_DIR "${CMAKE_INSTALL_DATADIR}/vykon3d")

install(TARGETS vykon3d RUNTIME DESTINATION "${VYKON_LIBEXEC_DIR}")
if(TARGET trenzor)
    install(TARGETS trenzor RUNTIME DESTINATION "${VYKON_LIBEXEC_DIR}")
endif()
# A stripped installation, the packages' among them, also drops the .comment
# sections, in which every compiler and crt object left its version: no
# program reads them, and Debian's packages go without them.
function(vykon_drop_comments component directory)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(program ${ARGN})
                set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${directory}/\${program}\")
                execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment \"\${path}\"
                                RESULT_VARIABLE status)
                if(NOT status EQUAL 0)
                    message(FATAL_ERROR \"${CMAKE_OBJCOPY} could not remove .comment from \${path}\")
                endif()
            endforeach()
        endif()" COMPONENT ${component} ${VYKON_${component}_EXCLUDE})
endfunction()
set(VYKON_PROGRAMS "$<TARGET_FILE_NAME:vykon3d>")
if(TARGET trenzor)
    list(APPEND VYKON_PROGRAMS "$<TARGET_FILE_NAME:trenzor>")
endif()
vykon_drop_comments(vykon3d "${VYKON_LIBEXEC_DIR}" ${VYKON_PROGRAMS})
install(DIRECTORY "${VYKON_WORKDIR}/" DESTINATION "${VYKON_SHARE_DIR}"
    FILES_MATCHING PATTERN "*.bin" PATTERN "pomoc.chm" PATTERN "systemy.dtb")

configure_file("${PROJECT_SOURCE_DIR}/packaging/vykon3d.in" "${CMAKE_BINARY_DIR}/packaging/vykon3d" @ONLY)
install(PROGRAMS "${CMAKE_BINARY_DIR}/packaging/vykon3d" DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/vykon3d.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/vykon3d.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/org.example.vykon3d.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# Manual pages and the changelog go out compressed, as Debian wants them:
# gzip -9n leaves no name or time stamp in the file, so the same source
# always gives the same bytes.
set(VYKON_GZIPPED)
foreach(source vykon3d.1 trenzor.6 vykon3d-server.8 changelog)
    set(copy "${CMAKE_BINARY_DIR}/packaging/${source}")
    add_custom_command(OUTPUT "${copy}.gz"
        COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/packaging/${source}" "${copy}"
        COMMAND gzip -9nf "${copy}"
        DEPENDS "${PROJECT_SOURCE_DIR}/packaging/${source}" VERBATIM)
    list(APPEND VYKON_GZIPPED "${copy}.gz")
endforeach()
add_custom_target(vykon3d_docs ALL DEPENDS ${VYKON_GZIPPED})
install(FILES "${CMAKE_BINARY_DIR}/packaging/vykon3d.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${CMAKE_BINARY_DIR}/packaging/trenzor.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
set(VYKON_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/vykon3d")
install(FILES "${CMAKE_BINARY_DIR}/packaging/changelog.gz" "${PROJECT_SOURCE_DIR}/packaging/copyright"
    DESTINATION "${VYKON_DOC_DIR}")
# What lintian is told to accept, each tag with its reason above it.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/lintian-overrides"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME vykon3d)

# The results service: the program for administrators, its manual page, its
# systemd unit where Debian keeps units (the usr-merged /usr/lib is not
# theirs yet), and its documentation with the set-up behind a web server.
# Only its package or `cmake --install --component server` installs it: a
# user's `cmake --install --prefix ~/.local` gets the desktop program alone
# and never writes to the system's unit folder.
set(VYKON_server_EXCLUDE EXCLUDE_FROM_ALL)
install(TARGETS vykon3d-server RUNTIME DESTINATION "${CMAKE_INSTALL_SBINDIR}" COMPONENT server EXCLUDE_FROM_ALL)
vykon_drop_comments(server "${CMAKE_INSTALL_SBINDIR}" "$<TARGET_FILE_NAME:vykon3d-server>")
install(FILES "${CMAKE_BINARY_DIR}/packaging/vykon3d-server.8.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man8"
    COMPONENT server EXCLUDE_FROM_ALL)
set(VYKON_SYSTEMD_UNIT_DIR "/lib/systemd/system" CACHE PATH "Where the results service's systemd unit goes")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/vykon3d-server.service" DESTINATION "${VYKON_SYSTEMD_UNIT_DIR}"
    COMPONENT server EXCLUDE_FROM_ALL)
install(FILES "${CMAKE_BINARY_DIR}/packaging/changelog.gz" "${PROJECT_SOURCE_DIR}/packaging/copyright"
    "${PROJECT_SOURCE_DIR}/docs/results-service.md"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/vykon3d-server" COMPONENT server EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME "vykon3d")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Tým 3D výkon <vykon3d@example.org>")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL vykon3d server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
# The packages hold stripped programs without .comment sections; the
# symbols stay in the build tree.
set(CPACK_STRIP_FILES ON)

# Each description's first line is its package's synopsis. Debian allows 80
# characters a line, the blank CPack puts before each line included.
set(CPACK_DEBIAN_VYKON3D_PACKAGE_NAME "vykon3d")
set(CPACK_DEBIAN_VYKON3D_DESCRIPTION "3D performance test for Linux desktops
Measures how fast the computer draws 3D graphics with seven OpenGL test
scenes, computes a score in points and compares it with other computers in a
systems database of its own. The user interface is in Czech.")
set(CPACK_DEBIAN_VYKON3D_PACKAGE_SECTION "graphics")
# Beyond the libraries the programs link: the X11 platform plugin that shows
# the windows, Mesa's drivers for OpenGL, and the opener of the help file.
set(CPACK_DEBIAN_VYKON3D_PACKAGE_DEPENDS "qt6-qpa-plugins, libgl1-mesa-dri")
set(CPACK_DEBIAN_VYKON3D_PACKAGE_RECOMMENDS "xchm, xdg-utils, qt6-translations-l10n")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME "vykon3d-server")
set(CPACK_DEBIAN_SERVER_DESCRIPTION "results service of the 3D performance test
Takes results of the 3D performance test uploaded over HTTP, evaluates each
results log itself, ranks the valid runs and serves the ranking as web pages
in Czech, as JSON and as the test's systems database. Keeps the runs in
SQLite or PostgreSQL; comes with a hardened systemd unit.")
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION "web")
# The Qt SQL driver of its default database is a plugin the program does
# not link; PostgreSQL's is needed only for a PostgreSQL database.
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "libqt6sql6-psql, sqlite3, nginx")
include(CPack)
