#!/usr/bin/env bash
# Veskar.exe on the demo under Wine, as a user would run it: in the X server and with the
# PulseAudio null sink that tests/host/with_null_sink.sh starts around it, in a Wine prefix of its
# own (made on first use).
# It opens the demo's packages from the command line, starts a WAV log from the menu's key
# (Ctrl+S, then the name typed into the save dialog), plays the song with Space, takes a
# screenshot, spoils the loaded sound effect on disk to see it reloaded and refused in a message
# box, closes the window with Alt+F4, and checks the exit code 0 and the log: a complete header
# and the song's sound in it.
#
# usage: smoke_test.sh WINE_RUN VESKAR_EXE DEMO_DIR OUTPUT_DIR CHECK_WAV_LOG
set -u
wine_run=$1 veskar=$2 demo=$3 out=$4 check=$5
python=${PYTHON:-python3}
wineserver=${BS_WINESERVER:-wineserver}
mkdir -p "$out"
log=$out/veskar-log.wav
rm -f "$log" "$out/veskar-win32.png"

cleanup() {
  [ -n "${veskar_pid:-}" ] && kill "$veskar_pid" 2>/dev/null
  WINEPREFIX=$out/wine "$wineserver" -k 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
fail() { echo "smoke test: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] && [ -n "${PULSE_SERVER:-}" ] || fail "run me through with_null_sink.sh --display"

# The prefix, with Wine's fonts for readable captions.
export BS_WINEPREFIX=$out/wine
"$wine_run" cmd /c exit >/dev/null 2>&1 || fail "Wine does not run"
mkdir -p "$BS_WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/*.ttf "$BS_WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null

# Copies of the packages, so that one can be spoilt.
packages=$out/packages
rm -rf "$packages" && mkdir -p "$packages"
cp "$demo/demo.smp" "$demo/demo.ins" "$demo/song.mus" "$demo/coin.sfx" "$packages/" || fail "no demo packages in $demo"

windows_name() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

"$wine_run" "$veskar" "$(windows_name "$packages/demo.smp")" "$(windows_name "$packages/demo.ins")" \
  "$(windows_name "$packages/song.mus")" "$(windows_name "$packages/coin.sfx")" >"$out/veskar.log" 2>&1 &
veskar_pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Veskar$' | head -n1)
[ -n "$window" ] || fail "no Veskar window appeared"
sleep 1
xdotool windowfocus --sync "$window"

# Log Output: the save dialog takes the log's name.
xdotool key ctrl+s
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Save' | head -n1)
[ -n "$dialog" ] || fail "Ctrl+S showed no save dialog"
sleep 1
xdotool type --delay 30 "$(windows_name "$log")"
xdotool key Return
for _ in $(seq 50); do [ -f "$log" ] && break; sleep 0.1; done
[ -f "$log" ] || fail "the WAV log was not started"

xdotool windowfocus --sync "$window"
xdotool key space
sleep 4
import -window "$window" "$out/veskar-win32.png" || fail "no screenshot"

# A rewritten package is loaded again; this one is no sound effect any more, which is said.
printf 'not a sound effect' > "$packages/coin.sfx"
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Error$' | head -n1)
[ -n "$box" ] || fail "the spoilt sound effect was not reloaded and refused"
xdotool windowfocus --sync "$box"
xdotool key Return
xdotool windowfocus --sync "$window"
xdotool key alt+F4

for _ in $(seq 200); do kill -0 "$veskar_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$veskar_pid" 2>/dev/null && fail "Veskar did not exit after Alt+F4"
wait "$veskar_pid"
status=$?
veskar_pid=
[ "$status" -eq 0 ] || fail "Veskar exited with status $status (see $out/veskar.log)"
echo "Veskar exited with status 0; screenshot $out/veskar-win32.png"
"$python" "$check" "$log" 2
