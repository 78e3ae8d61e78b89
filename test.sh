#!/usr/bin/env bash
# Builds Vexa Tracker in a normal and an ASan/UBSan configuration (installing what a fresh
# Debian 12 machine lacks), starts a private X server and runs every test in both; then runs
# each fuzz target for a fixed number of executions. Exits non-zero when anything fails.
# VEXA_SOAK=long runs the soak tests in their long form (see the README).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=${VEXA_JOBS:-$(nproc)}

tools/install-deps.sh

echo "== build (normal)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

echo "== build (ASan/UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXA_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"

echo "== build (fuzz targets)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEXA_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target vexa_fuzz_targets

# One private X server for the whole run, with sound on a null device.
source tools/private-x-server.sh

status=0
echo "== tests (normal)"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600 || status=1
echo "== tests (ASan/UBSan)"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:suppressions=$root/tests/asan.supp" \
LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 900 || status=1

echo "== fuzz targets"
# The counts of tools/fuzz/runs.txt (about a minute), or VEXA_FUZZ_RUNS executions of each.
tools/fuzz/run-all.sh build-fuzz ${VEXA_FUZZ_RUNS:-} || status=1

if [ "$status" -ne 0 ]; then echo "== FAILED"; else echo "== all tests passed"; fi
exit "$status"
