#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DARB_BENCH=OFF >/dev/null
cmake --build "$root/build/release" --target arbdemo -j"$(nproc)"
exec "$root/build/release/app/arbdemo" "$@"
