# SPDX-License-Identifier: MIT
# Makes one program's manual page, gzipped, from its --help and --version and
# an include file with the sections --help cannot give.
#   cmake -DPROGRAM=... -DINCLUDE=... -DOUTPUT=page.1.gz -DHELP2MAN=... -P ManPage.cmake
# The program runs with Qt's offscreen platform, so that a program that
# starts Qt before it reads its options needs no display either, and never
# shows a window.
set(ENV{QT_QPA_PLATFORM} offscreen)
# In the sanitizer build the programs are instrumented; a leak at exit is the
# tests' business (with their suppressions), not a reason to lose the page.
if(DEFINED ENV{ASAN_OPTIONS})
  set(ENV{ASAN_OPTIONS} "$ENV{ASAN_OPTIONS}:detect_leaks=0")
else()
  set(ENV{ASAN_OPTIONS} detect_leaks=0)
endif()
get_filename_component(name ${PROGRAM} NAME)

# help2man reads only what the program writes on standard output and ignores
# its exit status; the program is asked first, so that a failing option stops
# the build with the program's own message.
foreach(option --help --version)
  execute_process(COMMAND ${PROGRAM} ${option} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR out STREQUAL "")
    message(FATAL_ERROR "'${name} ${option}' exited with ${status} and wrote "
                        "'${out}' (stderr: '${err}'); the manual page ${name}(1) "
                        "is made from --help and --version.")
  endif()
endforeach()

string(REGEX REPLACE "\\.gz$" "" page ${OUTPUT})
# Ninja makes an output's folder before the rule runs; make does not, and
# help2man cannot write into a folder that is not there.
get_filename_component(page_dir ${page} DIRECTORY)
file(MAKE_DIRECTORY ${page_dir})
# C.UTF-8: help2man reads the Spanish text as UTF-8 and writes its own
# section headings in English. No Texinfo manual exists, so no "SEE ALSO"
# pointing at one.
execute_process(COMMAND ${HELP2MAN} --no-info --locale=C.UTF-8 --section=1
                        --include=${INCLUDE} --output=${page}
                        "sh ${CMAKE_CURRENT_LIST_DIR}/help-text.sh ${PROGRAM}"
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${name}: ${err}")
endif()
# -n: no file name or time stamp in the archive, so that the same page gives
# the same bytes.
execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${page}")
endif()
