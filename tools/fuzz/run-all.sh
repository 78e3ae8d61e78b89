#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed number of executions, from its seeds, and
# reports what each did (executions, speed, coverage) and any finding (the crashing input and
# the fuzzer's report). Exits non-zero when a target found anything.
#
#   tools/fuzz/run-all.sh [build-fuzz]          the counts of tools/fuzz/runs.txt (about a minute)
#   tools/fuzz/run-all.sh build-fuzz 2000000    that many executions of every target
#   VEXA_FUZZ_SCALE=50 tools/fuzz/run-all.sh    the counts of runs.txt, each 50 times
set -euo pipefail
build=${1:-build-fuzz}
runs=${2:-}
scale=${VEXA_FUZZ_SCALE:-1}
here=$(cd "$(dirname "$0")" && pwd)
status=0
shopt -s nullglob
targets=("$build"/fuzz/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then echo "no fuzz targets in $build/fuzz"; exit 1; fi
for target in "${targets[@]}"; do
  name=$(basename "$target")
  count=$runs
  if [ -z "$count" ]; then
    count=$(awk -v t="$name" '$1 == t { print $2 }' "$here/runs.txt")
    count=$(( ${count:-20000} * scale ))
  fi
  work=$(mktemp -d)
  seeds=()
  [ -d "$here/seeds/$name" ] && seeds=("$here/seeds/$name")
  echo "-- $name ($count executions)"
  start=$(date +%s)
  if "$target" -runs="$count" -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" \
       "$work" "${seeds[@]}" >"$work/log" 2>&1; then
    executed=$(awk '/stat::number_of_executed_units/ { print $2 }' "$work/log")
    speed=$(awk '/stat::average_exec_per_sec/ { print $2 }' "$work/log")
    coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9]+[a-zA-Z]*' "$work/log" | tail -n 1)
    echo "   ${executed:-?} executions in $(( $(date +%s) - start )) s (${speed:-?}/s), $coverage;" \
         "no findings"
  else
    echo "FUZZ FINDING in $name:"; tail -n 40 "$work/log"
    for artifact in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      kept="$build/fuzz/$(basename "$artifact")-$name"
      cp "$artifact" "$kept" && echo "   input kept as $kept"
    done
    status=1
  fi
  rm -rf "$work"
done
exit "$status"
