#!/usr/bin/env bash
# The line at its full rate for a minute through a pseudo-terminal, and the burst at 50
# times the rate: every byte written must reach the parser and every frame come out once.
#   VELORA_SOAK_SECONDS  length of the soak (default 60; the ordinary test run uses 5)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
cmake -S . -B build-soak -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_WERROR=ON >/dev/null
cmake --build build-soak -j "$(nproc)" --target line_faults_tests
VELORA_SOAK_SECONDS=${VELORA_SOAK_SECONDS:-60} build-soak/tests/line_faults/line_faults_tests \
    --gtest_filter='LineLoad.*'
