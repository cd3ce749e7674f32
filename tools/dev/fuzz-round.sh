#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# CI's fuzz round: each libFuzzer target built in BUILD runs for SECONDS on a
# copy of its seed corpus, with the dictionary of its corpus folder (*.dict,
# kept out of the corpus itself) where there is one. SECONDS 0 runs none:
# libFuzzer would read 0 as no limit.
#   bash tools/dev/fuzz-round.sh BUILD SECONDS
set -euo pipefail
build=$1
seconds=$2
cd "$(dirname "$0")/../.."
case "$seconds" in
  ''|*[!0-9]*) echo "fuzz: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
if [ "$seconds" -eq 0 ]; then
  echo "fuzz: targets built, none run"
  exit 0
fi
runs=0
for target in number_text axis trace_args value_list chart_paint experiment_file network_file; do
  work=$(mktemp -d)
  dict=()
  for f in tests/fuzz/corpus/"$target"/*; do
    case "$f" in
      *.dict) dict=(-dict="$PWD/$f") ;;
      *) cp "$f" "$work"/ ;;
    esac
  done
  echo "fuzz_$target: ${seconds} s${dict:+, dictionary ${dict[0]#-dict=}}"
  "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "${dict[@]}" "$work" 2>"$work.log" || { tail -40 "$work.log"; exit 1; }
  grep -E 'stat::number_of_executed_units' "$work.log" || true
  rm -rf "$work" "$work.log"
  runs=$((runs + 1))
done
echo "fuzz: $runs passed, 0 failed"
