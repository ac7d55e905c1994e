#!/usr/bin/env bash
# Cross-compiles the line libraries (rs485 with its Windows serial and registry code,
# velora_protocol, velora_listener) and their Windows test program (tests/windows, with
# GoogleTest built from its sources) with mingw-w64, warnings as errors. Step 21 runs the
# tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-mingw -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_LINE_LIBS_ONLY=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVELORA_WERROR=ON
cmake --build build-mingw -j "$(nproc)"
