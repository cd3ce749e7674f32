#!/usr/bin/env bash
# Sets up a Debian 12 machine for neurocontrol, builds it, and then either
# starts the program (run, the default) or runs every test (test).
#   bash tools/setup.sh run
#   bash tools/setup.sh test
set -euo pipefail
mode=${1:-run}
case "$mode" in run|test) ;; *) echo "usage: bash tools/setup.sh [run|test]" >&2; exit 2 ;; esac
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config        # toolchain
  qt6-base-dev                            # Qt 6 Core, Gui, Widgets
  libgtest-dev libgmock-dev               # tests
  libbenchmark-dev                        # bench/
  fonts-liberation                        # metric twins of the fonts the windows name
  xvfb xauth                              # headless runs of the window
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

build=${NEUROCONTROL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc)"

if [ "$mode" = test ]; then
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
else
  if [ -x "$build/app/neurocontrol" ]; then
    exec "$build/app/neurocontrol"
  fi
  exec "$build/tools/neurocontrol-trace"
fi
