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

# One private X server, stopped by its PID on every exit.
tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# -noreset: the server does not reset when its last client goes, which would refuse the next.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" \
  2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
if [ ! -s "$tmp/display" ]; then echo "Xvfb did not start:"; cat "$tmp/xvfb.log"; exit 1; fi
export DISPLAY=":$(head -n1 "$tmp/display")"
printf '[general]\ndrivers=null\n' >"$tmp/alsoft.conf"
export ALSOFT_CONF="$tmp/alsoft.conf"
export LIBGL_ALWAYS_SOFTWARE=1

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
if [ ! -f bench/song_file_bench.cpp ]; then
  echo "== song save and load: no bench/song_file_bench.cpp in this tree yet; it is run here" \
    "as soon as it exists"
fi
exit "$status"
