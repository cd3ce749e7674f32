# SPDX-License-Identifier: MIT
# The manual pages, and the checks of what the desktop reads: the desktop
# entry, the metainfo and the theme icons. The Debian package itself is
# built from debian/ (dpkg-buildpackage), which also installs the copyright
# file and the changelog.
# Included from the top-level CMakeLists after the folders and the tests.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(nc_programs)
foreach(program neurocontrol neurocontrol-trace)
  if(TARGET ${program})
    list(APPEND nc_programs ${program})
  endif()
endforeach()

# A stripped install (cmake --install --strip) also drops what strip keeps
# and an installed program does not need: the compilers' names (.comment)
# and the .note section. The programs' own install rules run before this one.
foreach(program IN LISTS nc_programs)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${program}>\"
    COMMAND_ERROR_IS_FATAL ANY)
endif()")
endforeach()

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
                   ${CMAKE_SOURCE_DIR}/ui/main/pictures/icon.png)
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
