#!/usr/bin/env bash
# Runs every fuzz target (tests/fuzz) for a given time, one after the other,
# and prints each target's number of executions.
#
#   bash tools/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 60); without TARGETs all of them.  Each target
# grows a working corpus in build/fuzz/corpus/TARGET, started from the seeds
# in tests/fuzz/corpus/TARGET; inputs that fail are kept in
# build/fuzz/findings/TARGET and the full output in build/fuzz/logs.  A seed
# worth keeping (a fixed fault) is copied into tests/fuzz/corpus by hand.
# Exits non-zero when a target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(document strong settings tolvreg vtxt_args codepage search recovery); fi

bash tools/setup.sh
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2

status=0
total=0
for t in "${targets[@]}"; do
  work=build/fuzz/corpus/$t findings=build/fuzz/findings/$t log=build/fuzz/logs/$t.log
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  result=ok
  build/fuzz/tests/fuzz/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1 || { result="FAULT (see $log)"; status=1; }
  runs=$(awk '/stat::number_of_executed_units/ {n=$2} END {print n+0}' "$log")
  total=$((total + runs))
  echo "fuzz: $t: $runs executions in ${seconds} s: $result"
done
echo "fuzz: $total executions in all"
exit $status
