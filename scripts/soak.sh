#!/usr/bin/env bash
# Builds the soak run and runs it: the real window on the simulated board, repeating playback for
# a long while (600 s unless told otherwise) as files load and the rate changes; it prints memory
# and the board's figures every minute and a summary at the end. Not part of the tests.
#
#   scripts/soak.sh [seconds [report-interval-seconds]]
#
# Set SOAK_BUILD to use another build folder, SOAK_JOBS for the build's parallel jobs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SOAK_BUILD:-$root/build/soak}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DARB_BENCH=ON >/dev/null
cmake --build "$build" --target soak -j"${SOAK_JOBS:-2}"
QT_QPA_PLATFORM=offscreen exec "$build/bench/soak" "$@"
