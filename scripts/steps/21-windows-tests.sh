#!/usr/bin/env bash
# Runs the Windows test program of the cross build (step 20) under Wine: a fresh prefix
# inside the build folder, two COM ports joined by a null-modem cable of pseudo-terminals
# (tests/windows/null_modem.py). Skipped only when Wine cannot start at all.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build-mingw
program=$build/tests/windows/velora_windows_tests.exe

if ! command -v wine >/dev/null; then
    echo "SKIPPED: Windows tests: wine is not installed"
    exit 0
fi
[ -x "$program" ] || { echo "no $program: run step 20 first" >&2; exit 1; }

export WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all
# No Mono or Gecko installers: console programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
started=$(date +%s)
if ! timeout 120 wine wineboot -i >"$build/wineboot.log" 2>&1; then
    echo "SKIPPED: Windows tests: Wine cannot start (wine wineboot -i failed, see $build/wineboot.log)"
    exit 0
fi
echo "Wine prefix ready in $(($(date +%s) - started)) s"

# The server is stopped before the cable is unplugged: it would take the hang-up of the
# terminals for a signal.
python3 tests/windows/null_modem.py "$WINEPREFIX" 5 6 -- bash -c \
    'timeout 180 wine "$1"; status=$?; wineserver -k; exit $status' _ "$program"
