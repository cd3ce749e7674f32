# SPDX-License-Identifier: MIT
# The Debian package (cpack -G DEB), the manual pages and the documents
# Debian asks for, and the checks of what the desktop reads: the desktop
# entry, the metainfo and the theme icons.
# Included from the top-level CMakeLists after the folders and the tests.
include_guard(GLOBAL)
include(GNUInstallDirs)

# Debian names a person or team to write to about the package. The default
# is the project's team at a documentation domain (example.org, which takes
# no mail); whoever distributes a build sets their own:
#   -DNEUROCONTROL_MAINTAINER="Name <address>"
set(NEUROCONTROL_MAINTAINER "The neurocontrol developers <neurocontrol@example.org>"
    CACHE STRING "Maintainer of the Debian package and of its changelog entry")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME neurocontrol)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The neurocontrol developers")
set(CPACK_PACKAGE_CONTACT "${NEUROCONTROL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "neural control of a simulated positioning arm (Spanish user interface)")
set(CPACK_PACKAGE_DESCRIPTION
    "A small pre-trained perceptron drives a simulated positioning arm toward a
reference angle, as a desktop demonstration of neural control. One window
shows the block diagram of the loop, an animation of the arm, a live chart of
the position and of the reference that zooms and scrolls with the mouse, and
read-outs of time, force, position and velocity. Every text is Spanish.

The numbers are exact to the last bit on x86. The package also holds
neurocontrol-trace, which runs the same loop without a window and prints
every step as tab-separated text, for scripts and plots.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped binaries; the .comment and .note sections go too (below).
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

set(nc_programs)
foreach(program neurocontrol neurocontrol-trace)
  if(TARGET ${program})
    list(APPEND nc_programs ${program})
  endif()
endforeach()

# A stripped install (cpack, cmake --install --strip) also drops what strip
# keeps and a package does not need: the compilers' names (.comment) and the
# .note section. The programs' own install rules run before this one.
foreach(program IN LISTS nc_programs)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\"
    COMMAND_ERROR_IS_FATAL ANY)
endif()")
endforeach()

# The licence in Debian's machine-readable form, and the changelog: Debian
# wants both in the package's documents folder, the changelog gzipped.
set(nc_doc_dir ${CMAKE_BINARY_DIR}/doc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${nc_doc_dir}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/packaging/changelog ${nc_doc_dir}/changelog
  # -n: no file name or time stamp in the archive.
  COMMAND gzip -9nf ${nc_doc_dir}/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(nc-changelog ALL DEPENDS ${nc_doc_dir}/changelog.gz)
install(FILES ${nc_doc_dir}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The manual pages are made at build time from each program's --help and
# --version (help2man) and a small include file per program with the
# sections --help cannot give, so that they cannot drift from the programs.
option(NEUROCONTROL_MAN_PAGES "Make and install the manual pages (needs help2man)" ON)
set(NC_MAN_DIR ${CMAKE_BINARY_DIR}/man CACHE INTERNAL "")
if(NEUROCONTROL_MAN_PAGES)
  find_program(NC_HELP2MAN help2man)
  if(NOT NC_HELP2MAN)
    message(FATAL_ERROR "help2man (Debian package help2man) makes the manual pages: install it "
                        "(tools/setup.sh does) or configure with -DNEUROCONTROL_MAN_PAGES=OFF.")
  endif()
  foreach(program IN LISTS nc_programs)
    set(include ${CMAKE_CURRENT_LIST_DIR}/man/${program}.h2m)
    add_custom_command(OUTPUT ${NC_MAN_DIR}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DINCLUDE=${include}
              -DOUTPUT=${NC_MAN_DIR}/${program}.1.gz -DHELP2MAN=${NC_HELP2MAN}
              -P ${CMAKE_CURRENT_LIST_DIR}/man/ManPage.cmake
      DEPENDS ${program} ${include} ${CMAKE_CURRENT_LIST_DIR}/man/ManPage.cmake
              ${CMAKE_CURRENT_LIST_DIR}/man/help-text.sh
      COMMENT "Manual page ${program}(1) from ${program} --help and --version"
      VERBATIM)
    add_custom_target(${program}-man ALL DEPENDS ${NC_MAN_DIR}/${program}.1.gz)
    install(FILES ${NC_MAN_DIR}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
endif()

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
                   -DMAN_PAGES=${NEUROCONTROL_MAN_PAGES}
                   -P ${CMAKE_SOURCE_DIR}/packaging/CheckInstall.cmake)
  if(NEUROCONTROL_MAN_PAGES)
    find_program(NC_MAN man)
    add_test(NAME package.manual_pages
             COMMAND ${CMAKE_COMMAND} -DMAN_DIR=${NC_MAN_DIR} "-DPAGES=${nc_programs}"
                     -DMAN=${NC_MAN} -P ${CMAKE_SOURCE_DIR}/packaging/CheckManPages.cmake)
  endif()
  # Every source file names its licence (SPDX) in its first lines.
  add_test(NAME package.spdx_lines
           COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
                   -P ${CMAKE_SOURCE_DIR}/packaging/CheckSpdx.cmake)
endif()
