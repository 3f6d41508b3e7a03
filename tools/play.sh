#!/usr/bin/env bash
# Sets up, builds and starts giftguard. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/deps.sh play
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGIFTGUARD_TESTS=OFF -DGIFTGUARD_BENCH=OFF >/dev/null
cmake --build build --target giftguard -j "$(nproc)"
exec build/giftguard "$@"
