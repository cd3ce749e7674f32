#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian source and binary packages from debian/ (dpkg-buildpackage)
# and checks them: the .deb built again elsewhere has the same bytes, and
# Debian's checker (lintian) finds no error and no warning. It then
# installs the package with apt-get, checks the installed programs' hardening
# and manual pages, and runs the package's own test (autopkgtest): the trace
# tool prints and the installed program, started headless, is still running
# after a few seconds. Then it removes the package again (unless it was
# installed before this run).
#   bash tools/dev/package-smoke.sh
# Needs root or sudo, git, and what tools/setup.sh installs: debhelper,
# dpkg-dev, help2man, lintian, devscripts (hardening-check), man-db,
# autopkgtest, xvfb and xauth. The build goes to build-package/
# (NEUROCONTROL_PACKAGE_DIR to change it).
set -euo pipefail
cd "$(dirname "$0")/../.."
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

# The package is built as Debian builds one, by dpkg-buildpackage from
# debian/, source and binaries, with the tests left out (the suite runs
# elsewhere in CI). It builds in a copy of the tree holding the files git
# tracks and new ones it does not ignore, so that the source package carries
# no build folder; dpkg-buildpackage writes its results beside the copy.
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
project=$(sed -n 's/^project(neurocontrol VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
check "changelog and CMake agree on the version ($version)" test "$version" = "$project"
rm -rf "$build"
mkdir -p "$build"
build=$(readlink -f "$build")
src="$build/neurocontrol-$version"
again="$build/again/neurocontrol-$version"
mkdir -p "$src" "$again"
git ls-files -z -co --exclude-standard | tar --null --ignore-failed-read -T - -cf - 2>/dev/null |
  tee >(tar -xf - -C "$again") | tar -xf - -C "$src"
log="$build/dpkg-buildpackage.log"
(cd "$src" && DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -Pnocheck >"$log" 2>&1) ||
  sed 's/^/  | /' "$log"
deb=$(ls "$build"/neurocontrol_*_*.deb 2>/dev/null | head -1)
changes=$(ls "$build"/neurocontrol_*.changes 2>/dev/null | head -1)
check "package built" test -n "$deb"
[ -n "$deb" ] || { finish; exit 1; }
check "source package built" test -f "$build/neurocontrol_$version.dsc"

# Reproducible, as Debian wants every package: the binary package built again
# in another folder, with another time zone, locale and file mask, has the
# same bytes. Where it does not, the files whose contents differ are named.
(cd "$again" && umask 077 && TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 DEB_BUILD_OPTIONS=nocheck \
   dpkg-buildpackage -us -uc -b -Pnocheck >"$build/again/dpkg-buildpackage.log" 2>&1) ||
  sed 's/^/  | /' "$build/again/dpkg-buildpackage.log"
check "built again, the same bytes" cmp -s "$deb" "$build/again/$(basename "$deb")"
sums() { dpkg-deb --ctrl-tarfile "$1" | tar -xOf - ./md5sums; }
if [ -f "$build/again/$(basename "$deb")" ]; then
  diff <(sums "$deb") <(sums "$build/again/$(basename "$deb")") | sed -n 's/^> /  | differs: /p' || true
fi

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

# Debian's checker on the source and the binaries, failing on any error or
# warning; its notes (I:) are shown.
lintian_log=$(mktemp)
lintian_ok() { lintian --fail-on error,warning --display-info "$changes" >"$lintian_log" 2>&1; }
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
# carry it). Neither program calls a C library function whose buffer size the
# compiler knows (only memcpy, memmove and memset, from the standard
# library's strings, vectors and images), so no call becomes a checked one,
# and hardening-check counts that as unfortified (its manual calls it a false
# alarm); for the fortification the build's own compile commands are read
# instead.
check "window program hardened" hardening-check --quiet --nocfprotection --nofortify /usr/bin/neurocontrol
check "trace tool hardened" hardening-check --quiet --nocfprotection --nofortify /usr/bin/neurocontrol-trace
fortified() { # every compile of the program asks for the checked functions
  local compiles unfortified
  compiles=$(ninja -C "$src"/obj-* -t commands "$1" | grep -- ' -c ') || return 1
  unfortified=$(grep -v -- '-D_FORTIFY_SOURCE=2' <<<"$compiles" || true)
  [ -z "$unfortified" ]
}
check "window program compiled with _FORTIFY_SOURCE=2" fortified neurocontrol
check "trace tool compiled with _FORTIFY_SOURCE=2" fortified neurocontrol-trace
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

# The package's own test (debian/tests), as Debian's CI runs it, on this
# machine: the trace tool prints, and the program the desktop entry starts
# is still running after a few seconds on a virtual X server.
autopkgtest_log=$(mktemp)
autopkgtest_ok() { SMOKE_SECONDS=$seconds autopkgtest -q "$deb" "$src" -- null >"$autopkgtest_log" 2>&1; }
check "autopkgtest" autopkgtest_ok
grep -E '^(smoke|neurocontrol)' "$autopkgtest_log" | sed 's/^/  | /' || true
[ "$failed" -eq 0 ] || sed 's/^/  | /' "$autopkgtest_log"
rm -f "$autopkgtest_log"

if [ "$was_installed" = no ]; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y -qq neurocontrol >/dev/null
fi
finish
