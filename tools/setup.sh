#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up a Debian 12 machine for neurocontrol, builds it, and then either
# starts the program (run, the default) or runs every test (test).
#   bash tools/setup.sh run
#   bash tools/setup.sh test
# CI also runs every test once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a second build directory:
#   bash tools/setup.sh sanitize
# and runs each libFuzzer target for a bounded time (FUZZ_SECONDS each, 20 by
# default; 0 only builds them) on its seed corpus, with the dictionary in the
# corpus folder where there is one, with clang in a third build directory:
#   bash tools/setup.sh fuzz
set -euo pipefail
mode=${1:-run}
case "$mode" in run|test|sanitize|fuzz) ;; *) echo "usage: bash tools/setup.sh [run|test|sanitize|fuzz]" >&2; exit 2 ;; esac
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config        # toolchain
  qt6-base-dev                            # Qt 6 Core, Gui, Widgets
  libeigen3-dev                           # the X-ray's 3x3 eigenvalues (header-only)
  libgtest-dev libgmock-dev               # tests
  libbenchmark-dev                        # bench/
  fonts-liberation                        # metric twins of the fonts the windows name
  xvfb xauth                              # headless runs of the window
  clang libclang-rt-14-dev                # libFuzzer for the fuzz targets
  qt6-translations-l10n                   # Qt's own texts in Spanish
  desktop-file-utils appstream            # validators of the desktop entry and metainfo (tests)
  dpkg-dev debhelper file                 # dpkg-buildpackage, for the Debian packages
  help2man                                # the manual pages, from --help and --version
  lintian devscripts man-db autopkgtest   # the package's checks: lintian, hardening-check, man, its test
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "$mode" = sanitize ]; then
  build=${NEUROCONTROL_BUILD_DIR:-build-sanitize}
  flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNEUROCONTROL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags"
  cmake --build "$build" -j "$(nproc)"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tools/dev/lsan.supp:print_suppressions=0
  exec ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
fi

if [ "$mode" = fuzz ]; then
  build=${NEUROCONTROL_BUILD_DIR:-build-fuzz}
  flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNEUROCONTROL_FUZZ=ON -DCMAKE_CXX_FLAGS="$flags"
  cmake --build "$build" -j "$(nproc)"
  exec bash tools/dev/fuzz-round.sh "$build" "${FUZZ_SECONDS:-20}"
fi

build=${NEUROCONTROL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = test ]; then
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
else
  if [ -x "$build/app/neurocontrol" ]; then
    exec "$build/app/neurocontrol"
  fi
  exec "$build/tools/trace/neurocontrol-trace"
fi
