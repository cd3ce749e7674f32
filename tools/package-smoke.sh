#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and checks it with Debian's checker (lintian:
# no error, no warning), installs it with apt-get, checks the installed
# programs' hardening and manual pages, and starts the installed program
# headless: it must still be running after a few seconds. Then it stops the
# program and removes the package again (unless it was installed before this
# run).
#   bash tools/package-smoke.sh
# Needs root or sudo and what tools/setup.sh installs: dpkg-dev
# (dpkg-shlibdeps), help2man, lintian, devscripts (hardening-check), man-db,
# xvfb and xauth. The build goes to build-package/ (NEUROCONTROL_PACKAGE_DIR
# to change it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${NEUROCONTROL_PACKAGE_DIR:-build-package}
seconds=${SMOKE_SECONDS:-5}
passed=0
failed=0
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

check() { # name, then the command that must succeed
  local name=$1; shift
  if "$@"; then echo "package: $name: ok"; passed=$((passed + 1))
  else echo "package: $name: FAILED"; failed=$((failed + 1)); fi
}

finish() {
  trap - EXIT
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
# A step that fails outright (the build, apt-get) still ends with the count.
trap 'failed=$((failed + 1)); echo "package: $passed passed, $failed failed"' EXIT

# A package builds only from the tree's programs: no tests, no benchmarks.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DNEUROCONTROL_BUILD_TESTS=OFF -DNEUROCONTROL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "package: no CPack configuration (is packaging/Packaging.cmake included?)"
  failed=$((failed + 1)); finish; exit 1
fi
rm -f "$build"/neurocontrol_*.deb
(cd "$build" && cpack -G DEB >"cpack.log" 2>&1) || sed 's/^/  | /' "$build/cpack.log"
deb=$(ls "$build"/neurocontrol_*.deb 2>/dev/null | head -1)
check "package built" test -n "$deb"
[ -n "$deb" ] || { finish; exit 1; }
deb=$(readlink -f "$deb") # apt-get takes a local package by its path

contents=$(dpkg-deb -c "$deb")
holds() { grep -q " \./usr/$1\$" <<<"$contents"; }
check "package holds both programs" eval 'holds bin/neurocontrol && holds bin/neurocontrol-trace'
check "package holds the entry, the metainfo and the icons" eval \
  'holds share/applications/org.neurocontrol.neurocontrol.desktop &&
   holds share/metainfo/org.neurocontrol.neurocontrol.metainfo.xml &&
   holds share/icons/hicolor/32x32/apps/org.neurocontrol.neurocontrol.png &&
   holds share/icons/hicolor/256x256/apps/org.neurocontrol.neurocontrol.png'

check "package holds the manual pages, the copyright and the changelog" eval \
  'holds share/man/man1/neurocontrol.1.gz && holds share/man/man1/neurocontrol-trace.1.gz &&
   holds share/doc/neurocontrol/copyright && holds share/doc/neurocontrol/changelog.gz'

# Debian's checker, failing on any error or warning; its notes (I:) are shown.
lintian_log=$(mktemp)
lintian_ok() { lintian --fail-on error,warning --display-info "$deb" >"$lintian_log" 2>&1; }
check "lintian: no error, no warning" lintian_ok
sed 's/^/  | /' "$lintian_log"
rm -f "$lintian_log"

depends=$(dpkg-deb -f "$deb" Depends)
echo "package: Depends: $depends"
check "depends on Qt (from the binaries)" grep -q 'libqt6widgets6' <<<"$depends"
check "depends on the fonts" grep -q 'fonts-liberation' <<<"$depends"
check "depends on Qt's Spanish texts" grep -q 'qt6-translations-l10n' <<<"$depends"

was_installed=no
dpkg-query -W -f='${Status}' neurocontrol 2>/dev/null | grep -q 'install ok installed' && was_installed=yes
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "$deb" >/dev/null
check "installed" test -x /usr/bin/neurocontrol
check "trace tool installed" test -x /usr/bin/neurocontrol-trace
check "desktop entry installed" test -f /usr/share/applications/org.neurocontrol.neurocontrol.desktop

# Debian's default hardening, as hardening-check reads it from the binaries.
# Control-flow protection is left out: Debian 12 does not build with it (its
# C library's start files lack the marking, so no program linked here can
# carry it). The trace tool calls no C library function whose buffer size the
# compiler knows (only memcpy, memmove and memset, from the standard
# library's strings and vectors), so no call becomes a checked one, and
# hardening-check counts that as unfortified (its manual calls it a false
# alarm); for it the build's own compile commands are read instead.
check "window program hardened" hardening-check --quiet --nocfprotection /usr/bin/neurocontrol
check "trace tool hardened" hardening-check --quiet --nocfprotection --nofortify /usr/bin/neurocontrol-trace
trace_fortified() { # every compile of the trace tool asks for the checked functions
  local compiles unfortified
  compiles=$(ninja -C "$build" -t commands neurocontrol-trace | grep -- ' -c ') || return 1
  unfortified=$(grep -v -- '-D_FORTIFY_SOURCE=2' <<<"$compiles" || true)
  [ -z "$unfortified" ]
}
check "trace tool compiled with _FORTIFY_SOURCE=2" trace_fortified
stripped() { # no symbols and no .comment
  local sections
  sections=$(readelf -S --wide "$1") && ! grep -qE ' \.(symtab|comment) ' <<<"$sections"
}
check "programs stripped, without .comment" eval 'stripped /usr/bin/neurocontrol &&
  stripped /usr/bin/neurocontrol-trace'
if grep -qs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  echo "package: this machine's dpkg leaves out manual pages (/etc/dpkg/dpkg.cfg.d)"
fi
man_shows() { # the page as man finds it by the program's name
  local page
  page=$(man -P cat "$1" 2>/dev/null) && grep -q '^NAME' <<<"$page"
}
check "man neurocontrol-trace" man_shows neurocontrol-trace
check "man neurocontrol" man_shows neurocontrol

# The entry's own command, started headless on a virtual X server.
command=$(sed -n 's/^Exec=//p' /usr/share/applications/org.neurocontrol.neurocontrol.desktop)
log=$(mktemp)
xvfb-run -a -s "-screen 0 1024x768x24" $command >"$log" 2>&1 &
runner=$!
sleep "$seconds"
# xvfb-run starts the server and the program as its own children.
program=$(pgrep -P "$runner" -x neurocontrol || true)
check "still running after ${seconds} s" test -n "$program"
# Stopping the program ends xvfb-run, which then stops its server. Only the
# program this run started is stopped.
[ -z "$program" ] || kill "$program" 2>/dev/null || true
wait "$runner" 2>/dev/null || true
if [ "$failed" -gt 0 ]; then sed 's/^/  | /' "$log"; fi
rm -f "$log"

trace_line=$(/usr/bin/neurocontrol-trace 30 3 | tail -1)
check "trace tool runs" test -n "$trace_line"

if [ "$was_installed" = no ]; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y -qq neurocontrol >/dev/null
fi
finish
