#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# tests of the reader thread and of everything it calls under ThreadSanitizer: the line
# libraries (parser, serial port, reader thread, faults), decoding, the filter changed
# while listening, and the application's end-to-end run. Any report fails the step. Each
# build has its own directory (the presets asan and tsan); warnings are the main build's
# business there.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
jobs=$(nproc)
supp="$top/scripts/sanitizers"

echo "--- AddressSanitizer + UndefinedBehaviorSanitizer: whole suite"
# Also for the build: test discovery runs every test program once.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
export QT_QPA_PLATFORM=offscreen
cmake --preset asan >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "--- ThreadSanitizer: reader thread and what it calls"
cmake --preset tsan >/dev/null
cmake --build build-tsan -j "$jobs" --target tests_threads
(cd build-tsan && ctest --output-on-failure -j "$jobs" --label-regex threads)
echo "50-sanitizers: ASan+UBSan suite and TSan thread tests clean"
