#!/usr/bin/env bash
# The Windows build: Qt and libpcap for Windows from Debian's sources (once per machine, then
# from the cache), the programs and tests cross-compiled with mingw-w64 (warnings as errors),
# the installer and the zip. Step 21 tests them under Wine.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/build-windows
