# SPDX-License-Identifier: MIT
# Checks the built manual pages: every section a page must have is there,
# and man formats each page without a warning (the check Debian's lintian
# makes on the package).
#   cmake -DMAN_DIR=... -DPAGES="a;b" -DMAN=/usr/bin/man -P CheckManPages.cmake
set(failures)
foreach(page IN LISTS PAGES)
  execute_process(COMMAND gzip -dc ${MAN_DIR}/${page}.1.gz RESULT_VARIABLE status
                  OUTPUT_VARIABLE roff)
  if(NOT status EQUAL 0)
    list(APPEND failures "${page}.1.gz does not unpack")
    continue()
  endif()
  foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS "\"EXIT STATUS\"" EXAMPLES)
    string(FIND "${roff}" "\n.SH ${section}\n" at)
    if(at EQUAL -1)
      list(APPEND failures "${page}(1) has no ${section} section")
    endif()
  endforeach()
  if(NOT roff MATCHES "\n.SH NAME\n${page} \\\\- ")
    list(APPEND failures "${page}(1) does not name ${page} in NAME")
  endif()
  if(MAN)
    set(ENV{LC_ALL} C.UTF-8)
    set(ENV{MANWIDTH} 80)
    execute_process(COMMAND ${MAN} --warnings -E UTF-8 -l -Tutf8 -Z ${MAN_DIR}/${page}.1.gz
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE warnings)
    if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
      list(APPEND failures "man warns on ${page}(1): ${warnings}")
    endif()
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
