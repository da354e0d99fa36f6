#!/bin/bash
# Runs one fuzz target from its committed seeds for a given time.
#   run_fuzz.sh FUZZ_BUILD_DIR NAME SECONDS [MAX_RUNS]
# New inputs the fuzzer finds go to a scratch directory, never into the
# source tree; a finding is kept in $FUZZ_ARTIFACTS (default: the build dir)
# and fails the run. Prints the execution count.
set -euo pipefail
build=$(cd "$1" && pwd) name=$2 seconds=$3 runs=${4:-0}
here=$(cd "$(dirname "$0")" && pwd)
target=$build/fuzz_$name
if [ ! -x "$target" ]; then
  echo "$target is not built (make fuzz-build builds it)" >&2
  exit 1
fi
artifacts=${FUZZ_ARTIFACTS:-$build/findings}
mkdir -p "$artifacts"
artifacts=$(cd "$artifacts" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
log=$scratch/log
status=0
"$target" "$scratch" "$here/seeds/$name" \
  -max_total_time="$seconds" -runs="$((runs > 0 ? runs : -1))" \
  -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$artifacts/$name-" >"$log" 2>&1 || status=$?
execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
if [ $status -ne 0 ]; then
  grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" >&2 || tail -30 "$log" >&2
  echo "fuzz_$name: FINDING after ${execs:-?} executions (artifact in $artifacts)" >&2
  exit 1
fi
echo "fuzz_$name: ${execs:-0} executions in $(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1) s, no finding"
