# Sourced by test.sh and bench/run.sh: starts a private X server (Xvfb) for the run and exports
# DISPLAY, sets OpenAL Soft's null driver (a working, silent device: sound without a card) and
# Mesa's software renderer, and on every exit stops the server by its PID and removes the
# run's temporary folder, which it keeps in $tmp.
tmp=$(mktemp -d)
xvfb_pid=
stop_private_x_server() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap stop_private_x_server EXIT
trap 'exit 130' INT TERM
# -noreset: without it the server resets whenever its last client disconnects, and a client
# connecting during that reset is refused.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" \
  2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
if [ ! -s "$tmp/display" ]; then echo "Xvfb did not start:"; cat "$tmp/xvfb.log"; exit 1; fi
export DISPLAY=":$(head -n1 "$tmp/display")"
echo "== X server on $DISPLAY (pid $xvfb_pid)"

# Tests that capture sound use their own configuration or a loopback device.
printf '[general]\ndrivers=null\n' >"$tmp/alsoft.conf"
export ALSOFT_CONF="$tmp/alsoft.conf"
export LIBGL_ALWAYS_SOFTWARE=1
