# The Debian package (cpack -G DEB), and the checks of what the desktop
# reads: the desktop entry, the metainfo and the theme icons.
# Included from the top-level CMakeLists after the folders and the tests.
include_guard(GLOBAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME neurocontrol)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "neurocontrol")
set(CPACK_PACKAGE_CONTACT "neurocontrol developers <neurocontrol@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "neural control of a simulated positioning arm (Spanish user interface)")
set(CPACK_PACKAGE_DESCRIPTION
    "A small pre-trained perceptron drives a simulated positioning arm toward a
reference angle. One window shows the block diagram of the loop, an animation
of the arm, a live chart of the position and of the reference, and read-outs of
time, force, position and velocity. neurocontrol-trace runs the same loop
without a window and prints every step.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps, which reads the binaries. What they
# load at run time without linking is named here: the fonts the windows name
# (their metric twins) and Qt's Spanish texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, qt6-translations-l10n")
include(CPack)

if(NEUROCONTROL_BUILD_TESTS)
  set(nc_app_dir ${CMAKE_BINARY_DIR}/app)
  find_program(NC_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(NC_APPSTREAMCLI appstreamcli)
  # Both validators come with their Debian packages (desktop-file-utils,
  # appstream); a machine without them cannot vouch for the files.
  if(NC_DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop.entry_validates
             COMMAND ${NC_DESKTOP_FILE_VALIDATE} ${nc_app_dir}/${NEUROCONTROL_APP_ID}.desktop)
    set_tests_properties(desktop.entry_validates PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning")
  else()
    add_test(NAME desktop.entry_validates COMMAND ${CMAKE_COMMAND} -E false)
  endif()
  if(NC_APPSTREAMCLI)
    add_test(NAME desktop.metainfo_validates
             COMMAND ${NC_APPSTREAMCLI} validate --no-net --pedantic
                     ${nc_app_dir}/${NEUROCONTROL_APP_ID}.metainfo.xml)
  else()
    add_test(NAME desktop.metainfo_validates COMMAND ${CMAKE_COMMAND} -E false)
  endif()
  # The theme's 32 x 32 icon is the window's icon, to the byte.
  add_test(NAME desktop.theme_icon_is_the_window_icon
           COMMAND ${CMAKE_COMMAND} -E compare_files
                   ${NC_THEME_ICONS_DIR}/32x32/apps/${NEUROCONTROL_APP_ID}.png
                   ${CMAKE_SOURCE_DIR}/ui/pictures/icon.png)
  # Every installed file is in place under a staging prefix.
  add_test(NAME desktop.install_layout
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                   -DSTAGE=${CMAKE_BINARY_DIR}/install-check -DAPP_ID=${NEUROCONTROL_APP_ID}
                   -P ${CMAKE_SOURCE_DIR}/packaging/CheckInstall.cmake)
endif()
