#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer; the preset "fuzz") and runs each for a bounded time,
# starting from its committed corpus (fuzz/corpus/<name>). A crash, a failed check, a
# leak, a time-out or running out of memory fails the step and leaves the input in
# build-fuzz/artifacts.
#   FUZZ_SECONDS  time per target (default 60)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
jobs=$(nproc)
seconds=${FUZZ_SECONDS:-60}

cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzzers
mapfile -t names < <(cd fuzz/corpus && ls -d -- */ | tr -d /)

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p build-fuzz/artifacts
for name in "${names[@]}"; do
    target=fuzz_$name
    work="build-fuzz/corpus/$name"
    mkdir -p "$work"
    echo "--- $target for ${seconds}s"
    if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" \
        "$work" "fuzz/corpus/$name" 2>"build-fuzz/$name.log"; then
        tail -n 60 "build-fuzz/$name.log"
        for artifact in build-fuzz/artifacts/"$name"-*; do
            [ -e "$artifact" ] || continue
            echo "input $artifact:"
            od -A d -t x1 "$artifact" | head -n 40
        done
        echo "60-fuzz: $target failed" >&2
        exit 1
    fi
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' \
        "build-fuzz/$name.log" || true
done
echo "60-fuzz: ${#names[@]} targets ran ${seconds}s each without a finding"
