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

# One private X server for the whole run, stopped by its PID on every exit.
tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# -noreset: without it the server resets whenever its last client disconnects, and a test
# connecting during that reset is refused.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" \
  2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
if [ ! -s "$tmp/display" ]; then echo "Xvfb did not start:"; cat "$tmp/xvfb.log"; exit 1; fi
export DISPLAY=":$(head -n1 "$tmp/display")"
echo "== X server on $DISPLAY (pid $xvfb_pid)"

# Sound without a card: OpenAL Soft's null driver is a working, silent device. Tests that
# capture sound use their own configuration or a loopback device.
printf '[general]\ndrivers=null\n' >"$tmp/alsoft.conf"
export ALSOFT_CONF="$tmp/alsoft.conf"
export LIBGL_ALWAYS_SOFTWARE=1

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
