#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# CI's fuzz round (tools/dev/fuzz-round.sh) on stand-in targets that only log
# how they were called: 0 seconds runs none; otherwise every target runs once for
# the time given, and number_text gets its dictionary, which stays out of the
# corpus copy.
#   bash test_fuzz_round.sh path/to/tools/dev/fuzz-round.sh
set -uo pipefail
round=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/tests/fuzz"
for target in number_text axis trace_args value_list chart_paint experiment_file network_file; do
  cat > "$work/build/tests/fuzz/fuzz_$target" <<STUB
#!/usr/bin/env bash
corpus=\${@: -1}
echo "$target \$* | \$(ls "\$corpus" | tr '\n' ' ')" >> "$work/calls"
STUB
  chmod +x "$work/build/tests/fuzz/fuzz_$target"
done
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

bash "$round" "$work/build" 0 > /dev/null || fail "0 seconds: status $?"
[ ! -e "$work/calls" ] || fail "0 seconds ran: $(cat "$work/calls")"

bash "$round" "$work/build" 3 > /dev/null || fail "3 seconds: status $?"
[ "$(wc -l < "$work/calls" 2>/dev/null)" = 7 ] || fail "3 seconds: $(cat "$work/calls" 2>/dev/null)"
grep -q '^number_text .*-max_total_time=3 .*-dict=[^ ]*/tests/fuzz/corpus/number_text/number_text.dict ' "$work/calls" \
  || fail "number_text without its dictionary: $(grep '^number_text' "$work/calls")"
grep -q '\.dict' <(sed 's/.*|//' "$work/calls") && fail "a dictionary copied into a corpus"
grep -q '^axis .*-dict' "$work/calls" && fail "axis given a dictionary it does not have"

bash "$round" "$work/build" forever > /dev/null 2>&1 && fail "a time that is not a number accepted"
exit $((failures > 0))
