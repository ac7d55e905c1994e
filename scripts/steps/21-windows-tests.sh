#!/usr/bin/env bash
# The Windows build of step 20 under Wine, in a fresh prefix inside the build folder:
#   - the serial and registry tests, on two COM ports joined by a null-modem cable of
#     pseudo-terminals (tests/windows/null_modem.py);
#   - the unit and widget tests (Qt's Windows platform);
#   - the programs end to end against the Linux build (tests/windows/end_to_end.py): replay,
#     console output, a live line on a COM port, the desktop program keeping up, and the
#     installer's round trip.
# Skipped only when Wine cannot start at all.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build-mingw
bin=$build/bin

if ! command -v wine >/dev/null; then
    echo "SKIPPED: Windows tests: wine is not installed"
    exit 0
fi
[ -x "$bin/velora_windows_tests.exe" ] || { echo "no $bin/velora_windows_tests.exe: run step 20 first" >&2; exit 1; }

export WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all
# No Mono or Gecko installers: the programs need neither.
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
    'timeout 180 wine "$1"; status=$?; wineserver -k; exit $status' _ "$bin/velora_windows_tests.exe"

# Wine hands the program QT_QPA_PLATFORM as WINEQT_QPA_PLATFORM. Qt's Windows platform, which
# Wine runs without a display: on Windows the offscreen one has no fonts and paints nothing.
export WINEQT_QPA_PLATFORM=windows
for program in velora_protocol_tests decoding_tests config_velora_tq4_tests app_tests; do
    echo "=== $program.exe under Wine"
    timeout 600 wine "$bin/$program.exe" --gtest_brief=1
done
unset WINEQT_QPA_PLATFORM

# The Linux programs the Windows ones are compared with.
cmake --preset default >/dev/null
cmake --build build -j "$(nproc)" --target velora-sniff velora-sim velora-config >/dev/null
python3 tests/windows/end_to_end.py --linux build --windows "$bin"
wineserver -k || true
