#!/usr/bin/env bash
# Measures how fast bsrender renders the demo, in multiples of real time.
#
#   bash bench/render/run.sh
#
# Builds the release preset's demo (which compiles and renders it), then
# 1. times the bsrender program itself on the song, start to finish (reading the packages,
#    rendering, writing the WAV file), best of five runs;
# 2. runs the Google Benchmark program bench_render on the render loop alone.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build/release
cmake --preset release >/dev/null
BS_DEMO_PLAY=0 cmake --build --preset release --target demo bench_render >/dev/null
demo="$build/examples/demo"
bsrender="$build/tools/bsrender/bsrender"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Length of the song in seconds, from the size of its data chunk.
"$bsrender" "$demo/demo.smp" "$demo/demo.ins" -m "$demo/song.mus" -q -o "$out/song.wav"
bytes=$(( $(stat -c %s "$out/song.wav") - 44 ))
audio=$(awk -v b="$bytes" 'BEGIN { printf "%.3f", b / 192000 }')

best=""
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$bsrender" "$demo/demo.smp" "$demo/demo.ins" -m "$demo/song.mus" -q -o "$out/song.wav"
  end=$(date +%s%N)
  took=$(( end - start ))
  if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
done
awk -v a="$audio" -v ns="$best" 'BEGIN {
  s = ns / 1e9
  printf "bsrender, whole program: %s s of audio in %.4f s: %.0fx real time\n", a, s, a / s
}'

echo "bench_render: x_realtime is seconds of audio rendered per second (3.9k/s is 3900x real time)"
"$build/bench/render/bench_render" --benchmark_counters_tabular=true
