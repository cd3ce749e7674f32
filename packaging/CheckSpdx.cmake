# Checks that every source file in git names its licence in its first five
# lines (SPDX-License-Identifier: MIT), so that a file copied out of the tree
# still says under which terms.
#   cmake -DSOURCE_DIR=... -P CheckSpdx.cmake
# The files are those git knows: sources, CMake files, scripts and templates
# that take a comment (not the desktop entry's and the metainfo's).
find_package(Git QUIET)
if(NOT GIT_FOUND OR NOT EXISTS ${SOURCE_DIR}/.git)
  message(STATUS "not a git checkout: nothing to check")
  return()
endif()
execute_process(COMMAND ${GIT_EXECUTABLE} ls-files WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE files COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" files "${files}")
set(missing)
foreach(file IN LISTS files)
  if(NOT file MATCHES "\\.(cpp|h|cmake|sh|py|in)$|(^|/)CMakeLists\\.txt$|^\\.ci/run$"
     OR file MATCHES "\\.(desktop|xml)\\.in$" OR NOT EXISTS ${SOURCE_DIR}/${file})
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} head LIMIT_COUNT 5)
  if(NOT head MATCHES "SPDX-License-Identifier: MIT")
    list(APPEND missing ${file})
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "no SPDX-License-Identifier line in the first five lines of:\n  ${text}")
endif()
