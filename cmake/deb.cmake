# The Debian package, made by CPack from the install rules (scripts/deb):
# the same files `cmake --install` puts in place, with the dependencies that
# dpkg-shlibdeps reads off the program, plus what it loads at run time and no
# linker sees.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortaxis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Vortaxis developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gesture window arranger for X11 desktops")
set(CPACK_PACKAGE_DESCRIPTION
    "Hold a key, aim, release: the front window snaps into a half or a quarter\n\
of the monitor. A radial menu of eight sectors opens under the pointer while\n\
the trigger is held; the scroll wheel sends the window to another monitor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # vortaxis_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SVG plugins draw the icons; the notification tool says what window
# access lacks; the icon theme's index lets the toolkit find our icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin, hicolor-icon-theme")
set(CPACK_STRIP_FILES ON)
include(CPack)
