#!/usr/bin/env bash
# Cross-compiles the line libraries (rs485 with its Windows serial and registry code,
# velora_protocol, velora_listener) and their Windows test program (tests/windows, with
# GoogleTest built from its sources) with mingw-w64, warnings as errors: the preset
# "windows". Step 21 runs the tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset windows
cmake --build build-mingw -j "$(nproc)"
