#!/usr/bin/env bash
# The dissector plugin and velora-extcap in tshark: the plugin's fields against velora-sniff's
# decoding of the same captures, display filters, the extcap answers and a live capture from a
# simulated line on a pseudo-terminal.
# Usage: check-wireshark.sh SOURCE_DIR BUILD_DIR VELORA_SIM VELORA_SNIFF VELORA_EXTCAP
set -uo pipefail
source_dir=$1 build=$2 sim=$3 sniff=$4 extcap=$5
export VELORA_BUILD=$build
tshark() { "$source_dir/scripts/tshark" "$@" 2>>"$work/tshark.err"; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# tshark runs as nobody when the test runs as root.
chmod 755 "$work"

# The plugin is built on the decoding core alone: it loads no Qt into Wireshark.
plugin=$build/wireshark/plugins/epan/velora.so
if ldd "$plugin" | grep -qi 'libqt'; then
    fail "the plugin loads Qt: $(ldd "$plugin" | grep -i 'libqt' | head -2)"
fi

# Simulated lines: with commands, state changes and noise, so that every type and trash occur.
for stream in "1 4000 0.01" "2 20000 0.05" "3 60000 0.02"; do
    read -r seed bytes noise <<<"$stream"
    capture=$work/line$seed.pcap
    "$sim" --seed "$seed" --bytes "$bytes" --noise-rate "$noise" --command-rate 0.05 \
        -o "$work/line$seed.raw"
    "$sniff" --replay "$work/line$seed.raw" --write "$capture" >/dev/null
    "$sniff" --tsv --replay "$capture" | cut -f1-3 >"$work/sniff$seed"
    tshark -r "$capture" -T fields -e velora.type -e velora.address -e velora.text \
        >"$work/tshark$seed"
    [ -s "$work/sniff$seed" ] || fail "seed $seed: velora-sniff decoded nothing"
    cmp -s "$work/sniff$seed" "$work/tshark$seed" ||
        fail "seed $seed: tshark's fields differ from velora-sniff --tsv: $(diff "$work/sniff$seed" "$work/tshark$seed" | head -4)"
    for type in 3 5 7; do
        grep -qP "^$type\t" "$work/sniff$seed" || fail "seed $seed: no frame of type $type"
    done
done

# A display filter selects exactly the frames of one address (and of one type).
capture=$work/line3.pcap
for filter in "5" "5 && velora.type == 3"; do
    tshark -r "$capture" -Y "velora.address == $filter" -T fields -e velora.type \
        -e velora.address -e velora.text >"$work/filtered"
    if [ "$filter" = 5 ]; then
        awk -F'\t' '$2 == 5' "$work/sniff3" >"$work/expected"
    else
        awk -F'\t' '$2 == 5 && $1 == 3' "$work/sniff3" >"$work/expected"
    fi
    [ -s "$work/expected" ] || fail "no frames of address 5 in the capture"
    cmp -s "$work/expected" "$work/filtered" || fail "filter 'velora.address == $filter' selects other frames"
done

# A record whose header disagrees with its bytes: a command with a broken CRC, and a record of
# an unknown type. The plugin marks both and shows the command's CRC as wrong.
record() { # seconds type address bytes...
    local length=$((${#@} - 1))
    printf "$(printf '\\x%02x' $1 0 0 0 0 0 0 0 $length 0 0 0 $length 0 0 0 "${@:2}")"
}
{
    printf '\x4d\x3c\xb2\xa1\x02\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0c\x00\x00\x00\x93\x00\x00\x00'
    record 1 5 3 0x83 0 1 0 0 0 0x12 0x34
    record 2 9 3 0x03
    record 3 1 3 0x03
} >"$work/damaged.pcap"
tshark -r "$work/damaged.pcap" -T fields -e velora.type -e velora.crc_ok -e _ws.expert.severity \
    >"$work/damaged"
printf '5\t0\t8388608\n9\t\t8388608\n1\t\t\n' >"$work/expected"
cmp -s "$work/expected" "$work/damaged" ||
    fail "damaged records: expected $(cat -A "$work/expected"), got $(cat -A "$work/damaged")"

# The extcap program's answers to Wireshark.
"$extcap" --extcap-interfaces --extcap-version=4.0 >"$work/interfaces" ||
    fail "--extcap-interfaces exited with $?"
grep -qxF 'interface {value=velora}{display=Velora RS-485}' "$work/interfaces" ||
    fail "--extcap-interfaces lacks the interface with a typed port: $(cat "$work/interfaces")"
grep -q '^extcap {version=' "$work/interfaces" || fail "--extcap-interfaces: no extcap line"
dlts=$("$extcap" --extcap-dlts --extcap-interface velora:/dev/ttyUSB7)
[ "$dlts" = 'dlt {number=147}{name=USER0}{display=Velora RS-485}' ] || fail "--extcap-dlts: $dlts"
"$extcap" --extcap-config --extcap-interface velora:/dev/ttyUSB7 >"$work/config"
grep -q '^arg {number=0}{call=--port}{display=Порт}{type=string}.*{default=/dev/ttyUSB7}' \
    "$work/config" || fail "--extcap-config: no port option preset to the interface's port: $(cat "$work/config")"
"$extcap" --extcap-dlts --extcap-interface eth0 >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown interface is not refused"
tshark -D >"$work/list"
grep -qF '(Velora RS-485)' "$work/list" || fail "tshark -D does not list velora-extcap's interface"

# Live: a simulated line on a pseudo-terminal. Each capture gets a line of its own.
start_line() {
    coproc line { exec "$sim" --pty --seed 5 --command-rate 0.05; }
    sim_pid=$line_PID
    read -r pty <&"${line[0]}"
    # tshark runs as nobody when the test runs as root.
    chmod a+rw "$pty"
}
stop_line() {
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=
}
valid_lines() { # file: lines of type, address and a non-empty text
    grep -cP '^[1-7]\t\d+\t.+$' "$1"
}

# Through tshark: tshark starts velora-extcap, its port typed as the interface's option, and
# stops it after two seconds.
start_line
tshark -i velora -o "extcap.velora.port:$pty" -a duration:2 -T fields -e velora.type -e velora.address -e velora.text \
    >"$work/live" || fail "tshark's live capture exited with $?: $(tail -3 "$work/tshark.err")"
sleep 0.5
for cmdline in /proc/[0-9]*/cmdline; do
    tr '\0' ' ' <"$cmdline" 2>/dev/null | grep -q "velora-extcap.*$pty" &&
        fail "velora-extcap still runs after tshark stopped"
done
stop_line
frames=$(wc -l <"$work/live")
[ "$frames" -ge 100 ] || fail "live capture through tshark: $frames frames in 2 s"
[ "$(valid_lines "$work/live")" -eq "$frames" ] || fail "live capture: undecoded lines"

# Directly: the capture ends cleanly on SIGTERM, and by itself when the fifo's reader goes.
start_line
mkfifo "$work/fifo"
"$extcap" --capture --extcap-interface velora --port "$pty" --fifo "$work/fifo" &
extcap_pid=$!
cat "$work/fifo" >"$work/stream.pcap" &
cat_pid=$!
sleep 1.5
kill -TERM "$extcap_pid"
wait "$extcap_pid"
status=$?
wait "$cat_pid"
[ $status -eq 0 ] || fail "velora-extcap ended with $status on SIGTERM"
tshark -r "$work/stream.pcap" -T fields -e velora.type -e velora.address -e velora.text \
    >"$work/stream"
frames=$(wc -l <"$work/stream")
[ "$frames" -ge 50 ] && [ "$(valid_lines "$work/stream")" -eq "$frames" ] ||
    fail "velora-extcap's stream after SIGTERM: $frames frames, $(valid_lines "$work/stream") decoded"

"$extcap" --capture --extcap-interface "velora:$pty" --fifo "$work/fifo" &
extcap_pid=$!
head -c 100 "$work/fifo" >/dev/null
for _ in $(seq 50); do
    kill -0 "$extcap_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$extcap_pid" 2>/dev/null; then
    fail "velora-extcap still runs 5 s after its fifo was closed"
    kill -TERM "$extcap_pid"
fi
wait "$extcap_pid"
status=$?
[ $status -eq 0 ] || fail "velora-extcap ended with $status when its fifo was closed"
stop_line

if [ $failures -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "Wireshark plugin and velora-extcap checked"
