#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# neurocontrol-trace when its output is lost: a full disk, a closed standard
# output, a pipe whose reader has gone (with SIGPIPE ignored, as under some
# shells and services). Each must stop the run, say why in one line on stderr
# and exit 1; an output that arrives whole exits 0.
#   bash test_trace_output.sh path/to/neurocontrol-trace
set -uo pipefail
trace=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() { # expect NAME STATUS WANTED_STATUS ERRFILE [PATTERN]: one line matching it, or none
  local name=$1 status=$2 wanted=$3 errfile=$4 pattern=${5:-}
  local good=1
  [ "$status" -eq "$wanted" ] || good=0
  if [ -n "$pattern" ]; then
    [ "$(wc -l < "$errfile")" -eq 1 ] && grep -q -- "$pattern" "$errfile" || good=0
  else
    [ ! -s "$errfile" ] || good=0
  fi
  if [ "$good" = 1 ]; then
    echo "ok   $name"
  else
    echo "FAIL $name: status $status (wanted $wanted), stderr:"; sed 's/^/  /' "$errfile"
    failures=$((failures + 1))
  fi
}

"$trace" 30 100 > /dev/full 2> "$work/full"
expect "full disk" $? 1 "$work/full" "No space left on device"

"$trace" 30 5 >&- 2> "$work/closed"
expect "closed stdout" $? 1 "$work/closed" "Bad file descriptor"

# Five million steps would take minutes; the run must end at the first write
# after head has gone. The timeout only keeps a regression from hanging CI.
timeout 120 bash -c 'trap "" PIPE; exec "$0" 30 5000000' "$trace" 2> "$work/pipe" | head -1 > "$work/head"
status=${PIPESTATUS[0]}
expect "broken pipe" "$status" 1 "$work/pipe" "Broken pipe"
grep -q '^muestra' "$work/head" || { echo "FAIL broken pipe: head read nothing"; failures=$((failures + 1)); }

"$trace" 30 5 > "$work/out" 2> "$work/ok"
status=$?
[ "$(wc -l < "$work/out")" -eq 6 ] || { echo "FAIL whole output: $(wc -l < "$work/out") lines"; failures=$((failures + 1)); }
expect "whole output" "$status" 0 "$work/ok"

exit $((failures > 0))
