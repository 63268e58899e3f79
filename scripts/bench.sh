#!/usr/bin/env bash
# Builds the release benchmarks and runs them all, printing their figures next to their targets.
# Takes about three minutes (the stream runs for 60 s). The generated data files (about 140 MB)
# are kept in $ARB_BENCH_DATA, by default /tmp/arb-bench, and reused.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
build="$root/build/bench"
benches=(load_bench convert_bench window_bench stream_bench startup_bench)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DARB_BENCH=ON >/dev/null
cmake --build "$build" --target "${benches[@]}" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
for bench in "${benches[@]}"; do
  echo
  "$build/bench/$bench" 2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2)
done
