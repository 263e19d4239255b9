# Installation: the front end and the test engine go to libexec/vykon3d, the
# shared files (scenes, help, the shipped systems database) to
# share/vykon3d, and bin/vykon3d is a launcher that prepares the user's own
# working folder and starts the front end there. A .desktop entry and an icon
# put the program into the desktop's menu. CPack builds a Debian package of
# the same installation.
include(GNUInstallDirs)

set(VYKON_LIBEXEC_DIR "${CMAKE_INSTALL_LIBEXECDIR}/vykon3d")
set(VYKON_SHARE_DIR "${CMAKE_INSTALL_DATADIR}/vykon3d")

install(TARGETS vykon3d RUNTIME DESTINATION "${VYKON_LIBEXEC_DIR}")
if(TARGET trenzor)
    install(TARGETS trenzor RUNTIME DESTINATION "${VYKON_LIBEXEC_DIR}")
endif()
install(DIRECTORY "${VYKON_WORKDIR}/" DESTINATION "${VYKON_SHARE_DIR}"
    FILES_MATCHING PATTERN "*.bin" PATTERN "pomoc.chm" PATTERN "systemy.dtb")

configure_file("${PROJECT_SOURCE_DIR}/packaging/vykon3d.in" "${CMAKE_BINARY_DIR}/packaging/vykon3d" @ONLY)
install(PROGRAMS "${CMAKE_BINARY_DIR}/packaging/vykon3d" DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/vykon3d.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/vykon3d.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

set(CPACK_PACKAGE_NAME "vykon3d")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Tým 3D výkon <vykon3d@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D performance test for Linux desktops")
set(CPACK_PACKAGE_DESCRIPTION "Measures how fast the computer draws 3D graphics with seven OpenGL tests, computes a score and compares it with other computers.")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries the programs link: the X11 platform plugin that shows
# the windows, Mesa's drivers for OpenGL, and the opener of the help file.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
