#!/usr/bin/env bash
# Runs every fuzz target of a build for a bounded time, from its seed corpus, and
# prints the executions per target. New inputs go to a scratch corpus, not the repo's.
set -euo pipefail
build=$1
seconds=$2
status=0
while IFS= read -r line; do
  # ctest lists each corpus test as: <binary> -runs=0 <corpus>
  binary=$(awk '{print $1}' <<<"$line")
  corpus=$(awk '{print $3}' <<<"$line")
  name=$(basename "$binary")
  scratch="$build/fuzz-corpus/$name"
  mkdir -p "$scratch"
  echo "== $name for ${seconds}s"
  if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 "$scratch" "$corpus" \
      2>"$build/$name.log"; then
    status=1
    tail -n 30 "$build/$name.log"
  fi
  grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$build/$name.log" | tail -n 2 || true
done < <(ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, sys
for t in json.load(sys.stdin)["tests"]:
    if t["name"].endswith(".corpus") and "command" in t:
        print(" ".join(t["command"]))
')
exit $status
