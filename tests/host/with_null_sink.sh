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
  tries=0
  until [ -s "$dir/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "with_null_sink.sh: Xvfb did not start:" >&2
      cat "$dir/xvfb.log" >&2
      exit 1
    fi
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 "$dir/display")"
  export DISPLAY
fi

tries=0
until [ -S "$dir/native" ]; do
  tries=$((tries + 1))
  if [ "$tries" -gt 100 ] || ! kill -0 "$pulse_pid" 2>/dev/null; then
    echo "with_null_sink.sh: the PulseAudio server did not start:" >&2
    cat "$dir/pulse.log" >&2
    exit 1
  fi
  sleep 0.1
done
PULSE_SERVER=unix:$dir/native
export PULSE_SERVER
"$@"
