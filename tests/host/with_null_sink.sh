#!/bin/sh
# Runs a command with a sound server of its own: a PulseAudio server whose only sink is a null
# sink (it plays into nothing, at the pace of a real card), on a unix socket in a temporary
# folder, with PULSE_SERVER pointing at it; and, with --display, an Xvfb display for windows.
# Both are stopped afterwards, and the command's exit status is returned.
#
#   with_null_sink.sh [--display] command [arguments...]
#
# Runs as root too (CI does): the server then warns that it is not meant for root, and runs.
set -u
display=no
if [ "${1:-}" = "--display" ]; then
  display=yes
  shift
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/bs-null-sink.XXXXXX") || exit 1
pulse_pid=""
xvfb_pid=""
stop() {
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$dir"
}
trap stop EXIT
trap 'exit 130' INT TERM

# await NAME PID LOG TEST...: waits up to 10 s until `test TEST...` holds, while server PID runs.
await() {
  name=$1 pid=$2 log=$3
  shift 3
  tries=0
  until test "$@"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "with_null_sink.sh: $name did not start:" >&2
      cat "$log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

# -n: no default script, so nothing but these two modules (in particular nothing that suspends
# an idle sink).
HOME=$dir XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
    -L "module-null-sink sink_name=null rate=48000" \
    -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    </dev/null >"$dir/pulse.log" 2>&1 &
pulse_pid=$!
if [ "$display" = yes ]; then
  # Xvfb picks the first free display and writes its number into the file.
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp </dev/null 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  await Xvfb "$xvfb_pid" "$dir/xvfb.log" -s "$dir/display"
  DISPLAY=":$(head -n 1 "$dir/display")"
  export DISPLAY
fi

await "the PulseAudio server" "$pulse_pid" "$dir/pulse.log" -S "$dir/native"
PULSE_SERVER=unix:$dir/native
export PULSE_SERVER
"$@"
