#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# tests of the reader thread and of everything it calls under ThreadSanitizer: the line
# libraries (parser, serial port, reader thread, faults), decoding, the filter changed
# while listening, and the application's end-to-end run. Any report fails the step. Each
# build has its own directory.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
jobs=$(nproc)
supp="$top/scripts/sanitizers"

# Warnings are the main build's business: sanitizer instrumentation makes GCC's flow
# analysis noisier, so these builds do not turn warnings into errors.
configure() { # dir flags...
    local dir=$1 flags=$2
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DVELORA_WERROR=OFF \
        -DCMAKE_CXX_FLAGS="-O1 -g -fno-omit-frame-pointer $flags" \
        -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" >/dev/null
}

echo "--- AddressSanitizer + UndefinedBehaviorSanitizer: whole suite"
# Also for the build: test discovery runs every test program once.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp"
export QT_QPA_PLATFORM=offscreen
configure build-asan "-fsanitize=address,undefined -fno-sanitize-recover=all"
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "--- ThreadSanitizer: reader thread and what it calls"
configure build-tsan "-fsanitize=thread"
mapfile -t thread_tests < <(cmake --build build-tsan --target help |
    sed -n 's/^\.\.\. \(\(rs485\|velora_protocol\|velora_listener\|line_faults\|listener_threads\|decoding\|app\)_tests\)$/\1/p')
if ((${#thread_tests[@]} == 0)); then
    echo "50-sanitizers: no reader thread tests found" >&2
    exit 1
fi
cmake --build build-tsan -j "$jobs" --target "${thread_tests[@]}"
for t in "${thread_tests[@]}"; do
    exe=$(find build-tsan/tests -name "$t" -type f -perm -u+x | head -n 1)
    echo "--- $t under ThreadSanitizer"
    "$exe" --gtest_brief=1
done
echo "50-sanitizers: ASan+UBSan suite and TSan thread tests clean"
