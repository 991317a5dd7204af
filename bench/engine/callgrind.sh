#!/usr/bin/env bash
# Instructions per voice-frame of bs_update, counted by callgrind: repeatable,
# unlike times on a shared machine.
#
#   bench/engine/callgrind.sh [path/to/engine_update_profile] [ticks]
#
# Build first: cmake --preset release && cmake --build --preset release --target engine_update_profile
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
profile="${1:-$root/build/release/bench/engine/engine_update_profile}"
ticks="${2:-2000}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

valgrind --tool=callgrind --toggle-collect=bs_update --callgrind-out-file="$out/callgrind.out" \
    "$profile" "$ticks" >"$out/stdout" 2>"$out/stderr"
voiceFrames="$(sed -n 's/.*voice-frames \([0-9]*\).*/\1/p' "$out/stdout")"
instructions="$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$out/callgrind.out")"
[ -n "$instructions" ] || instructions="$(sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$out/callgrind.out")"
echo "ticks:                       $ticks"
echo "voice-frames mixed:          $voiceFrames"
echo "instructions in bs_update:   $instructions"
awk -v i="$instructions" -v f="$voiceFrames" 'BEGIN { printf "instructions per voice-frame: %.2f\n", i / f }'
