#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Which leaks tools/dev/lsan.supp hides, shown on the sanitizer build's leak
# probe: the leak inside the D-Bus library is hidden; every leak of our code
# is reported, also one made in a function that the C library or Qt's event
# loop called.
#   bash test_leak_suppressions.sh path/to/leak_probe path/to/lsan.supp
set -uo pipefail
probe=$1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$2:print_suppressions=0
failures=0
for row in "ours reported" "sorted reported" "queued reported" "dbus hidden"; do
  set -- $row
  output=$("$probe" "$1" 2>&1)
  status=$?
  if [ "$2" = reported ]; then
    [ "$status" -ne 0 ] && grep -q "detected memory leaks" <<<"$output" && grep -qE ' in ([^ ]*::)?Leak' <<<"$output"
  else
    [ "$status" -eq 0 ] && ! grep -q "detected memory leaks" <<<"$output"
  fi
  if [ $? -eq 0 ]; then
    echo "ok   $1: $2"
  else
    echo "FAIL $1: not $2 (status $status)"; sed 's/^/  /' <<<"$output" | head -40
    failures=$((failures + 1))
  fi
done
exit $((failures > 0))
