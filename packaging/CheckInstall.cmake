# SPDX-License-Identifier: MIT
# Installs the build under STAGE and checks that every file the desktop and
# the shell look for is where they look.
#   cmake -DBUILD_DIR=... -DSTAGE=... -DAPP_ID=... -DMAN_PAGES=ON|OFF -P CheckInstall.cmake
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(expected
    bin/neurocontrol
    bin/neurocontrol-trace
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml)
if(MAN_PAGES)
  list(APPEND expected share/man/man1/neurocontrol.1.gz share/man/man1/neurocontrol-trace.1.gz)
endif()
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
set(missing)
foreach(path IN LISTS expected)
  if(NOT EXISTS ${STAGE}/${path})
    list(APPEND missing ${path})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed: ${missing}")
endif()
# The entry starts the program by the name it is installed under, and names
# the icon the theme holds.
file(READ ${STAGE}/share/applications/${APP_ID}.desktop entry)
if(NOT entry MATCHES "\nExec=neurocontrol\n" OR NOT entry MATCHES "\nIcon=${APP_ID}\n")
  message(FATAL_ERROR "the desktop entry does not start bin/neurocontrol with its icon")
endif()
file(REMOVE_RECURSE ${STAGE})
