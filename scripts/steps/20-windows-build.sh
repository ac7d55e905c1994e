#!/usr/bin/env bash
# Cross-compiles the line libraries (rs485 with its Windows serial and registry code,
# velora_protocol, velora_listener) with mingw-w64, warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-mingw -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_LINE_LIBS_ONLY=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVELORA_WERROR=ON
cmake --build build-mingw -j "$(nproc)"
