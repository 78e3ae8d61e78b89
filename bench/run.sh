#!/usr/bin/env bash
# Builds Vexa Tracker's Release configuration (build-release) and runs every benchmark program
# under a private X server, with OpenAL Soft's null driver:
#   screen_bench    the tracker's screen: frame CPU time and draw calls
#   frame_bench     a glyph-heavy frame: CPU time and draw calls
#   tick_bench      cost of one player tick
#   audio_bench     sound device calls
#   song_file_bench song save and load time (comes with the song file code)
#   program_bench   start-up time to the first frame; CPU use and resident memory of the whole
#                   program over 20 s idle and 20 s playing
# and any other bench/*_bench.cpp. Arguments are passed to every benchmark program (for example
# --benchmark_filter=BM_Idle).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${VEXA_JOBS:-$(nproc)}

tools/install-deps.sh

benches=()
for src in bench/*_bench.cpp; do benches+=("$(basename "$src" .cpp)"); done

echo "== build (Release, build-release)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXA_TESTS=ON >/dev/null
cmake --build build-release -j "$jobs" --target vexa-tracker x11-close "${benches[@]}"

# One private X server for the whole run, with sound on a null device.
source tools/private-x-server.sh

echo "== machine"
echo "cpu:    $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
echo "memory: $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "system: $(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
echo "load:   $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"

status=0
for name in "${benches[@]}"; do
  echo "== $name"
  if [ ! -x "build-release/bench/$name" ]; then
    echo "(not built in this configuration)"
    continue
  fi
  "build-release/bench/$name" --benchmark_counters_tabular=true "$@" || status=1
done
exit "$status"
