#!/usr/bin/env bash
# The line at its full rate for a minute through a pseudo-terminal, and the burst at 50
# times the rate: every byte written must reach the parser and every frame come out once.
# Builds in the main build tree, which the test run builds next anyway.
#   VELORA_SOAK_SECONDS  length of the soak (default 60; the ordinary test run uses 5)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
cmake --preset default >/dev/null
cmake --build build -j "$(nproc)" --target line_load_tests
VELORA_SOAK_SECONDS=${VELORA_SOAK_SECONDS:-60} build/tests/line_load/line_load_tests
