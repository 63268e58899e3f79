#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in an optimised build, and in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer. Ends with ctest's summary line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
jobs="$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_suite() { # build-dir, extra cmake args...
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600
}

echo "== optimised build =="
run_suite "$root/build/test-release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARB_BENCH=ON
echo "== sanitizer build (ASan + UBSan) =="
run_suite "$root/build/test-asan" -DCMAKE_BUILD_TYPE=Debug -DARB_SANITIZE=ON -DARB_BENCH=OFF
