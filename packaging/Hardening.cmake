# SPDX-License-Identifier: MIT
# Debian's default hardening (Debian 12's dpkg-buildflags, with bindnow), for
# every build of the programs: position-independent executables, stack
# protection, checked libc calls, and read-only relocations bound at start.
# None of it changes a floating-point result (the exactness flags beside it
# stay), and the exactness tests run on this build.
# Included from the top-level CMakeLists before the first target.
include_guard(GLOBAL)

option(NEUROCONTROL_HARDENING "Build with Debian's default hardening flags" ON)
if(NOT NEUROCONTROL_HARDENING)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong)
# glibc's checked functions need the optimiser (without it they warn and do
# nothing), so the Debug build goes without. Under a sanitizer they would
# stand between the program and the sanitizer's own checks of the same calls:
# the sanitizer builds (tools/setup.sh sanitize, fuzz) go without too.
# Whatever the compiler or the caller defined before is replaced, not
# redefined with a warning.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
endif()
add_link_options(LINKER:-z,relro,-z,now)
