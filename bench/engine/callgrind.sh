#!/usr/bin/env bash
# Instructions per voice-frame, counted by callgrind: repeatable, unlike
# times on a shared machine.
#
#   bench/engine/callgrind.sh [path/to/engine_update_profile] [ticks] [workload] [path]
#
# workload: effects (the default; through bs_update only), notes, steps-to-1.0,
# steps-above-1.0 or short-loops; path: bs_update (the default, at the level
# the engine chose) or a mixer level (scalar, ssse3, avx2, neon).  Without a
# workload, every workload and level in turn.
#
# Build first: cmake --preset release && cmake --build build/release --target engine_update_profile
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
profile="${1:-$root/build/release/bench/engine/engine_update_profile}"
ticks="${2:-2000}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

count() {
    valgrind --tool=callgrind --toggle-collect=bs_update --toggle-collect=profiledTick \
        --callgrind-out-file="$out/callgrind.out" "$profile" "$ticks" "$1" "$2" >"$out/stdout" 2>"$out/stderr" || {
        echo "$1 $2: $(grep -v '^==' "$out/stderr" | tail -1)"
        return 0
    }
    voiceFrames="$(sed -n 's/.*voice-frames \([0-9]*\).*/\1/p' "$out/stdout")"
    instructions="$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$out/callgrind.out")"
    [ -n "$instructions" ] || instructions="$(sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$out/callgrind.out")"
    awk -v w="$1" -v p="$2" -v i="$instructions" -v f="$voiceFrames" -v t="$ticks" \
        'BEGIN { printf "%-16s %-10s ticks %d  voice-frames %d  instructions %d  per voice-frame %.2f\n", w, p, t, f, i, i / f }'
}

if [ $# -ge 3 ]; then
    count "$3" "${4:-bs_update}"
else
    count effects bs_update
    for workload in notes steps-to-1.0 steps-above-1.0 short-loops; do
        for path in bs_update scalar ssse3 avx2 neon; do
            count "$workload" "$path"
        done
    done
fi
