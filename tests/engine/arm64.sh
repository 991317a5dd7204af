#!/usr/bin/env bash
# The engine's tests on 64-bit ARM, where the mixer runs its NEON level: cross-built and run
# under qemu-user.  Not part of CI.  Needs Debian's crossbuild-essential-arm64, qemu-user and
# googletest (its sources, which cmake/install-deps.sh installs).
#
#   bash tests/engine/arm64.sh [build-folder]      (default build/arm64)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/arm64}"
for tool in aarch64-linux-gnu-g++ qemu-aarch64; do
    if ! command -v "$tool" >/dev/null; then
        echo "arm64.sh: no $tool (apt-get install crossbuild-essential-arm64 qemu-user)" >&2
        exit 2
    fi
done
cmake -S "$root/tests/engine/arm64" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake"
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure
