#!/usr/bin/env bash
# Builds Vexa Tracker (installing what a fresh Debian 12 machine lacks) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vexa-tracker
exec build/vexa-tracker
