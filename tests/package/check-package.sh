#!/usr/bin/env bash
# Builds the Debian packages with CPack, checks their control fields and file lists, unpacks
# them and runs the tools and the desktop program from the unpacked tree.
# Usage: check-package.sh CPACK_CONFIG VERSION RECORDING CONFIGURATION_FILE [wireshark]
# With "wireshark" the build has the Wireshark plugin, and velora-debugger-wireshark is checked.
set -uo pipefail
cpack_config=$1 version=$2 recording=$3 panel=$4 wireshark=${5:-}

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_equal() { # what expected actual
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$cpack_config" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
arch=$(dpkg --print-architecture)
expected_debs=("velora-debugger_${version}-1_${arch}.deb")
[ -n "$wireshark" ] && expected_debs+=("velora-debugger-wireshark_${version}-1_${arch}.deb")
expect_equal "packages" "$(printf '%s\n' "${expected_debs[@]}" | sort)" \
    "$(find "$work/out" -maxdepth 1 -name '*.deb' -printf '%f\n' | sort)"
deb=$work/out/${expected_debs[0]}
[ -f "$deb" ] || exit 1

# Control fields
field() { dpkg-deb --field "$deb" "$1"; }
expect_equal Package velora-debugger "$(field Package)"
expect_equal Version "${version}-1" "$(field Version)"
expect_equal Architecture "$arch" "$(field Architecture)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
for library in libc6 libstdc++6 libqt5core5a libqt5gui5 libqt5widgets5; do
    [[ $depends == *"$library ("* ]] || fail "Depends lacks $library: $depends"
done

# File list: every path the installed program needs, nothing outside /usr, all owned by root
dpkg-deb --contents "$deb" >"$work/contents"
paths=$(awk '{ print $6 }' "$work/contents")
private=./usr/lib/velora-debugger
expected=(
    ./usr/bin/velora-debugger ./usr/bin/velora-sniff ./usr/bin/velora-sim ./usr/bin/velora-config
    $private/velora-debugger $private/qtbase_ru.qm $private/License.txt $private/LGPL.txt
    $private/user-guide.html
    ./usr/share/applications/velora-debugger.desktop
    ./usr/share/icons/hicolor/scalable/apps/velora-debugger.svg
    ./usr/share/doc/velora-debugger/copyright ./usr/share/doc/velora-debugger/changelog.Debian.gz
    ./usr/lib/systemd/system/velora-sniff@.service
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/velora-debugger.png")
done
for tool in velora-sniff velora-sim velora-config; do
    expected+=("./usr/share/man/man1/$tool.1.gz")
done
for path in "${expected[@]}"; do
    grep -qxF -- "$path" <<<"$paths" || fail "package lacks $path"
done
grep -qF -- "./usr/bin/velora-debugger -> ../lib/velora-debugger/velora-debugger" "$work/contents" ||
    fail "usr/bin/velora-debugger is not the relative link to the program"
outside=$(grep -v '^\./usr/' <<<"$paths" | grep -vx '\./')
[ -z "$outside" ] || fail "files outside /usr: $outside"
owners=$(awk '$2 != "root/root"' "$work/contents")
[ -z "$owners" ] || fail "not owned by root: $owners"

# Unpacked tree: the link leads to the program's directory with its four files
root=$work/root
dpkg-deb --extract "$deb" "$root"
program=$(readlink -f "$root/usr/bin/velora-debugger")
expect_equal "link target" "$root/usr/lib/velora-debugger/velora-debugger" "$program"
for file in qtbase_ru.qm License.txt LGPL.txt user-guide.html; do
    [ -s "$(dirname "$program")/$file" ] || fail "$file missing or empty beside the program"
done
zcat "$root/usr/share/doc/velora-debugger/changelog.Debian.gz" >"$work/changelog"
expect_equal "newest change log entry" "${version}-1" \
    "$(dpkg-parsechangelog --file "$work/changelog" --show-field Version)"
grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' "$root/usr/lib/velora-debugger/LGPL.txt" ||
    fail "LGPL.txt is not the LGPL"
grep -q 'Руководство пользователя\|руководство пользователя' "$root/usr/lib/velora-debugger/user-guide.html" ||
    fail "user-guide.html is not the user guide"

for binary in "$program" "$root"/usr/bin/velora-{sniff,sim,config}; do
    description=$(file --brief "$binary")
    [[ $description == ELF*", stripped"* ]] || fail "$(basename "$binary"): $description"
    unresolved=$(ldd "$binary" | grep 'not found')
    [ -z "$unresolved" ] || fail "$(basename "$binary") needs missing libraries: $unresolved"
done

# The command-line tools, from the unpacked tree
bin=$root/usr/bin
"$bin/velora-sniff" --help >"$work/help" 2>&1 || fail "velora-sniff --help exited with $?"
grep -q -- '--replay' "$work/help" || fail "velora-sniff --help does not describe --replay"

if "$bin/velora-sniff" --replay "$recording" >"$work/replay" 2>"$work/replay.err"; then
    [ -s "$work/replay" ] || fail "velora-sniff --replay printed nothing for $recording"
    [ -s "$work/replay.err" ] && fail "velora-sniff --replay complained: $(head -3 "$work/replay.err")"
else
    fail "velora-sniff --replay $recording exited with $?: $(head -3 "$work/replay.err")"
fi

# The simulator's stream, decoded by the sniffer, gives the events the simulator expects
if "$bin/velora-sim" --seed 7 --bytes 5000 --output "$work/line.bin" --events "$work/events"; then
    "$bin/velora-sniff" --tsv --replay "$work/line.bin" | cut -f1,2,4 >"$work/decoded"
    expected_events=$(cut -f1-3 "$work/events")
    [ -n "$expected_events" ] || fail "velora-sim wrote no events"
    [ "$expected_events" = "$(cat "$work/decoded")" ] ||
        fail "velora-sniff did not decode velora-sim's stream into its events"
else
    fail "velora-sim exited with $?"
fi

if "$bin/velora-config" check "$panel" >"$work/check" 2>&1; then
    for line in "Секций: 1" "Приборов: 2" "Команд: 1"; do
        grep -qxF "$line" "$work/check" || fail "velora-config check: no line '$line'"
    done
else
    fail "velora-config check exited with $?: $(cat "$work/check")"
fi

# The service unit verifies as an instance, its program and manual page from the unpacked tree
units=$work/units
mkdir -p "$units"
sed "s|/usr/bin/|$bin/|g" "$root/usr/lib/systemd/system/velora-sniff@.service" \
    >"$units/velora-sniff@.service"
ln -s velora-sniff@.service "$units/velora-sniff@ttyUSB0.service"
verified=$(MANPATH=$root/usr/share/man systemd-analyze verify "$units/velora-sniff@ttyUSB0.service" 2>&1)
[ $? -eq 0 ] && [ -z "$verified" ] || fail "systemd-analyze verify velora-sniff@.service: $verified"
grep -q -- "--alerts .*--ring .* %I$" "$units/velora-sniff@.service" ||
    fail "velora-sniff@.service does not record a ring with alerts"

# Manual pages: the NAME line that whatis reads, and the tool's own options
for tool in velora-sniff velora-sim velora-config; do
    page=$root/usr/share/man/man1/$tool.1.gz
    lexgrog "$page" | grep -q "\"$tool - ..*\"" || fail "$tool.1: no NAME line"
    zcat "$page" | grep -q -- '\\-\\-help' || fail "$tool.1: the options of --help are missing"
done

# Desktop entry: valid, and it names the installed program and icon
entry=$root/usr/share/applications/velora-debugger.desktop
desktop-file-validate "$entry" || fail "desktop entry does not validate"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
icon_name=$(sed -n 's/^Icon=//p' "$entry")
[ -e "$bin/$exec_name" ] || fail "desktop entry runs '$exec_name', not in /usr/bin"
[ -e "$root/usr/share/icons/hicolor/48x48/apps/$icon_name.png" ] ||
    fail "desktop entry's icon '$icon_name' is not installed"
for size in 16 48 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/velora-debugger.png
    [[ $(file --brief "$png") == "PNG image data, $size x $size,"* ]] ||
        fail "icon ${size}x${size}: $(file --brief "$png")"
done

# The desktop program, started through its link as the menu does, shows its window and keeps
# running until it is stopped.
runtime=$work/runtime
mkdir -m 700 "$runtime"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$runtime timeout 3 "$bin/velora-debugger" \
    >"$work/app.log" 2>&1
status=$?
[ $status -eq 124 ] || fail "velora-debugger ended with $status within 3 s: $(head -5 "$work/app.log")"
if grep -qiE 'error|fail|cannot|could not|not found' "$work/app.log"; then
    fail "velora-debugger reported: $(head -5 "$work/app.log")"
fi

# The Wireshark package: plugin and extcap program in Wireshark's folders of the version built
# against, and a dependency on that version.
if [ -n "$wireshark" ]; then
    wdeb=$work/out/${expected_debs[1]}
    expect_equal "Wireshark package" velora-debugger-wireshark "$(dpkg-deb --field "$wdeb" Package)"
    wdepends=$(dpkg-deb --field "$wdeb" Depends)
    series=$(pkg-config --modversion wireshark | cut -d. -f1,2)
    for dependency in "wireshark-common (>= $series)" "wireshark-common (<< " libwireshark; do
        [[ $wdepends == *"$dependency"* ]] || fail "Wireshark package Depends lacks $dependency: $wdepends"
    done
    plugin=.$(pkg-config --variable=plugindir wireshark)/epan/velora.so
    extcap=.$(pkg-config --variable=libdir wireshark)/wireshark/extcap/velora-extcap
    wpaths=$(dpkg-deb --contents "$wdeb" | awk '{ print $6 }')
    for path in "$plugin" "$extcap" ./usr/share/doc/velora-debugger-wireshark/copyright; do
        grep -qxF -- "$path" <<<"$wpaths" || fail "Wireshark package lacks $path"
    done
    wroot=$work/wroot
    dpkg-deb --extract "$wdeb" "$wroot"
    for binary in "$wroot/$plugin" "$wroot/$extcap"; do
        [[ $(file --brief "$binary") == ELF*", stripped"* ]] || fail "$(basename "$binary") is not stripped"
        unresolved=$(ldd "$binary" | grep 'not found')
        [ -z "$unresolved" ] || fail "$(basename "$binary") needs missing libraries: $unresolved"
    done
    nm -D --defined-only "$wroot/$plugin" | grep -qw plugin_register || fail "velora.so does not export plugin_register"
    "$wroot/$extcap" --extcap-interfaces | grep -qF '{display=Velora RS-485}' ||
        fail "velora-extcap from the package lists no interface"
fi

if [ $failures -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "package $(basename "$deb") checked"
