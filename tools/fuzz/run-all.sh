#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed number of executions (default 20000).
# Longer runs: tools/fuzz/run-all.sh build-fuzz 2000000
set -euo pipefail
build=${1:-build-fuzz}
runs=${2:-20000}
here=$(cd "$(dirname "$0")" && pwd)
status=0
shopt -s nullglob
for target in "$build"/fuzz/*_fuzz; do
  name=$(basename "$target")
  work=$(mktemp -d)
  seeds=()
  [ -d "$here/seeds/$name" ] && seeds=("$here/seeds/$name")
  echo "-- $name ($runs runs)"
  if "$target" -runs="$runs" -max_len=65536 -artifact_prefix="$work/" "$work" "${seeds[@]}" \
       >"$work/log" 2>&1; then
    grep -E '^#[0-9]+ +DONE' "$work/log" || tail -n 1 "$work/log"
  else
    echo "FUZZ FAILURE in $name:"; tail -n 40 "$work/log"; status=1
  fi
  rm -rf "$work"
done
exit "$status"
