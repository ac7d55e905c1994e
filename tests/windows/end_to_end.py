#!/usr/bin/env python3
"""The Windows programs under Wine, end to end, against the Linux build of the same tree.

  replay     velora-sniff.exe --replay gives byte for byte the output of the Linux
             velora-sniff (text, --tsv, --stats, --write) for the sample and simulated lines
  console    every program's --help and --version reach standard output
  bad-input  a damaged capture and a configuration with errors get the exit codes and words of
             Linux, a missing COM port is named
  live       velora-sim on a pseudo-terminal linked as a COM port of the prefix:
             velora-sniff.exe COMn --tsv reports exactly the frames the seeded line holds
  desktop    velora-debugger.exe COMn under Xvfb holds the port and keeps up with a saturated
             line: nothing left unread at the port (checked from outside), with its CPU
             time beside that of velora-sniff.exe on a second line of the same rate
  installer  the installer installs silently into a fresh prefix (into /D= when given), the
             installed program answers --version, the uninstaller removes it all again

usage: end_to_end.py --linux BUILD --windows BUILD [--seconds N] [CHECK...]
WINEPREFIX names a booted prefix; the installer check makes a prefix of its own.
"""

import argparse
import fcntl
import glob
import os
import struct
import subprocess
import sys
import tempfile
import termios
import time

failures = []
passes = []


def check(ok, what):
    print(("ok      " if ok else "FAILED  ") + what, flush=True)
    (passes if ok else failures).append(what)


def wine(*args, **kwargs):
    return subprocess.run(["wine", *args], capture_output=True, timeout=300, **kwargs)


def first_difference(a, b):
    for number, (x, y) in enumerate(zip(a.splitlines(), b.splitlines()), 1):
        if x != y:
            return "line %d: %r against %r" % (number, x[:120], y[:120])
    return "lengths %d and %d bytes" % (len(a), len(b))


def replay(args, work):
    sniff = os.path.join(args.linux, "tools/velora-sniff/velora-sniff")
    sim = os.path.join(args.linux, "tools/velora-sim/velora-sim")
    inputs = [os.path.join(args.source, "samples/velora-line.bin")]
    for seed, extra in ((1, []), (7, ["-n", "0.01"]), (2026, ["-k", "0.05", "-c", "0.1"])):
        path = os.path.join(work, "line-%d.bin" % seed)
        subprocess.run([sim, "-s", str(seed), "-t", "20", "-d", "1-6,9,12", "-l", "16",
                        *extra, "-o", path], check=True)
        inputs.append(path)
    pcap = os.path.join(work, "line.pcap")
    subprocess.run([sniff, "--replay", inputs[1], "--write", pcap], check=True,
                   stdout=subprocess.DEVNULL)
    inputs.append(pcap)
    for path in inputs:
        for options in ([], ["--tsv", "-x"], ["--stats-only"], ["-T", "--time-format",
                                                                "relative"]):
            linux = subprocess.run([sniff, "--replay", path, *options], capture_output=True)
            windows = wine(os.path.join(args.windows, "velora-sniff.exe"), "--replay", path,
                           *options)
            same = (linux.stdout == windows.stdout and linux.returncode == windows.returncode)
            check(same, "velora-sniff.exe --replay %s %s: the Linux output%s" % (
                os.path.basename(path), " ".join(options),
                "" if same else " (" + first_difference(windows.stdout, linux.stdout) + ")"))
    written = os.path.join(work, "windows.pcap")
    wine(os.path.join(args.windows, "velora-sniff.exe"), "--replay", pcap, "--write", written)
    same = open(written, "rb").read() == open(pcap, "rb").read() if os.path.exists(
        written) else False
    check(same, "velora-sniff.exe --write of a capture: the same bytes as the capture")


def console(args, work):
    for program, version in (("velora-debugger", "1."), ("velora-sniff", "velora-sniff 1."),
                             ("velora-sim", "velora-sim 1."),
                             ("velora-config", "velora-config 1.")):
        exe = os.path.join(args.windows, program + ".exe")
        shown = wine(exe, "--help")
        check(shown.returncode == 0 and "Использование" in shown.stdout.decode("utf-8", "replace")
              and b"\r\n" not in shown.stdout, program + ".exe --help: the usage on standard output")
        told = wine(exe, "--version")
        check(told.returncode == 0 and version.encode() in told.stdout,
              program + ".exe --version: " + told.stdout.decode("utf-8", "replace").strip())


def bad_input(args, work):
    """Bad input gets the words and exit codes it gets on Linux."""
    sniff = os.path.join(args.linux, "tools/velora-sniff/velora-sniff")
    capture = os.path.join(work, "cut.pcap")
    subprocess.run([sniff, "--replay", os.path.join(args.source, "samples/velora-line.bin"),
                    "--write", capture], check=True, stdout=subprocess.DEVNULL)
    with open(capture, "r+b") as f:
        f.truncate(os.path.getsize(capture) - 7)
    diagnostics = os.path.relpath(os.path.join(args.source, "tests/velora_config_tool/diagnostics"))
    same = [("velora-sniff", ["--replay", capture], sniff),
            ("velora-config", ["check", os.path.join(diagnostics, "device-address.xml")],
             os.path.join(args.linux, "tools/velora-config/velora-config"))]
    for program, options, linux_program in same:
        linux = subprocess.run([linux_program, *options], capture_output=True)
        windows = wine(os.path.join(args.windows, program + ".exe"), *options)
        check((windows.returncode, windows.stdout, windows.stderr) ==
              (linux.returncode, linux.stdout, linux.stderr),
              "%s.exe %s: exit %d and the words of Linux" % (program, options[0],
                                                             windows.returncode))
    missing = wine(os.path.join(args.windows, "velora-sniff.exe"), "COM99")
    check(missing.returncode == 1 and "Порт COM99 не найден" in missing.stderr.decode("utf-8"),
          "velora-sniff.exe COM99: " + missing.stderr.decode("utf-8", "replace").strip())


class SimulatedLine:
    """velora-sim playing a seeded line into a pseudo-terminal linked as COMn."""

    def __init__(self, args, work, number, seconds, events=None):
        sim = os.path.join(args.linux, "tools/velora-sim/velora-sim")
        command = [sim, "--pty", "-s", str(number), "-t", str(seconds), "-d", "1-6,9,12,17,25",
                   "-l", "30", "-c", "0.05", "-k", "0.02"]
        if events:
            command += ["-e", events]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, text=True)
        self.terminal = self.process.stdout.readline().strip()
        self.name = "COM%d" % number
        self.link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "com%d" % number)
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(self.terminal, self.link)

    def readers(self):
        """Processes other than the simulator that hold the terminal open."""
        found = set()
        for fd in glob.glob("/proc/[0-9]*/fd/*"):
            try:
                if os.readlink(fd) == self.terminal:
                    found.add(int(fd.split("/")[2]))
            except OSError:
                pass
        found.discard(self.process.pid)
        return found

    def close(self):
        self.process.kill()
        self.process.wait()
        os.unlink(self.link)


def stop_wine_then_unplug(*lines):
    """The server goes first: it would take the hang-up of the terminals for a signal."""
    subprocess.run(["wineserver", "-k"])
    for line in lines:
        line.close()


def unread(fd):
    return struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0\0\0\0"))[0]


def cpu_seconds(pids):
    total = 0
    for pid in pids:
        try:
            fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
        except OSError:
            pass
    return total


def live(args, work):
    events = os.path.join(work, "live.events")
    line = SimulatedLine(args, work, 7, 6, events)
    try:
        shown = wine(os.path.join(args.windows, "velora-sniff.exe"), line.name, "--tsv",
                     "--duration", "14")
    finally:
        stop_wine_then_unplug(line)
    got = ["\t".join((f[0], f[1], f[3])) for f in
           (row.split("\t") for row in shown.stdout.decode().splitlines())]
    expected = open(events).read().splitlines()
    check(shown.returncode == 0 and got == expected and len(got) > 1000,
          "velora-sniff.exe %s --tsv: %d frames of the %d the line holds%s" % (
              line.name, len(got), len(expected),
              "" if got == expected else " (" + first_difference("\n".join(got).encode(),
                                                                 "\n".join(expected).encode())
              + ")"))


def wait_for_readers(line, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if line.readers():
            return line.readers()
        time.sleep(0.2)
    return set()


def desktop(args, work):
    program = SimulatedLine(args, work, 8, args.seconds + 60)
    headless = SimulatedLine(args, work, 9, args.seconds + 60)
    settings = dict(os.environ, WINEDLLOVERRIDES="mscoree,mshtml=")
    gui = subprocess.Popen(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "wine",
                            os.path.join(args.windows, "velora-debugger.exe"), program.name],
                           env=settings, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    sniff = subprocess.Popen(["wine", os.path.join(args.windows, "velora-sniff.exe"),
                              headless.name], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    try:
        holders, sniffers = wait_for_readers(program, 60), wait_for_readers(headless, 60)
        check(bool(holders), "velora-debugger.exe %s: holds the port" % program.name)
        if not holders or not sniffers:
            return
        time.sleep(5)
        probes = [os.open(line.terminal, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
                  for line in (program, headless)]
        start = (cpu_seconds(holders), cpu_seconds(sniffers), time.monotonic())
        most = 0
        for _ in range(args.seconds):
            time.sleep(1)
            most = max(most, unread(probes[0]))
        elapsed = time.monotonic() - start[2]
        used = (cpu_seconds(holders) - start[0], cpu_seconds(sniffers) - start[1])
        left = unread(probes[0])
        for fd in probes:
            os.close(fd)
        check(left < 256, "velora-debugger.exe keeps up with the line for %d s: %d bytes unread "
              "at the end, at most %d" % (args.seconds, left, most))
        print("        CPU under Wine: velora-debugger.exe %.1f %%, velora-sniff.exe %.1f %% of a "
              "core, ratio %.2f" % (100 * used[0] / elapsed, 100 * used[1] / elapsed,
                                    used[0] / used[1] if used[1] else float("nan")))
    finally:
        for process in (gui, sniff):
            process.terminate()
        stop_wine_then_unplug(program, headless)
        for process in (gui, sniff):
            process.wait()


def installer(args, work):
    setup = glob.glob(os.path.join(args.windows, "..", "VeloraDebugger-*-win64-setup.exe"))
    check(len(setup) == 1, "one installer in the build folder")
    if len(setup) != 1:
        return
    env = dict(os.environ, WINEPREFIX=os.path.join(work, "install-prefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    subprocess.run(["wine", "wineboot", "-i"], env=env, capture_output=True, timeout=300)
    drive = os.path.join(env["WINEPREFIX"], "drive_c")
    # NSIS takes /D= only last and unquoted: a folder without spaces, as Wine quotes them.
    for target, folder in ((None, "Program Files/VeloraDebugger"),
                           ("C:\\VeloraTest", "VeloraTest")):
        where = os.path.join(drive, folder)
        command = ["wine", setup[0], "/S"] + (["/D=" + target] if target else [])
        subprocess.run(command, env=env, capture_output=True, timeout=300)
        installed = os.path.join(where, "velora-debugger.exe")
        check(os.path.exists(installed), "the installer puts the program into C:\\" +
              folder.replace("/", "\\"))
        if not os.path.exists(installed):
            continue
        told = subprocess.run(["wine", installed, "--version"], env=env, capture_output=True,
                              timeout=120)
        check(told.returncode == 0 and told.stdout.strip() != b"",
              "the installed velora-debugger.exe --version: " +
              told.stdout.decode("utf-8", "replace").strip())
        links = glob.glob(os.path.join(drive, "**/Start Menu/Programs/**/Отладчик «Velora».lnk"),
                          recursive=True)
        target_text = "".join(open(link, "rb").read().decode(encoding, "ignore")
                              for link in links for encoding in ("utf-16-le", "latin-1"))
        check(len(links) == 1 and "velora-debugger.exe" in target_text and
              "\\bin\\" not in target_text, "a Start menu entry «Отладчик «Velora»» for the program")
        subprocess.run(["wine", os.path.join(where, "uninstall.exe"), "/S"], env=env,
                       capture_output=True, timeout=300)
        deadline = time.monotonic() + 60
        while os.path.exists(where) and time.monotonic() < deadline:
            time.sleep(0.5)
        links = glob.glob(os.path.join(drive, "**/Start Menu/Programs/**/Отладчик*"),
                          recursive=True)
        check(not os.path.exists(where) and not links,
              "the uninstaller removes " + folder + " and the Start menu entry")
    subprocess.run(["wineserver", "-k"], env=env)


CHECKS = {"replay": replay, "console": console, "bad-input": bad_input, "live": live,
          "desktop": desktop, "installer": installer}


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("--linux", required=True)
    parser.add_argument("--windows", required=True)
    parser.add_argument("--seconds", type=int, default=20)
    parser.add_argument("checks", nargs="*", default=list(CHECKS))
    args = parser.parse_args()
    args.source = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    args.linux, args.windows = os.path.abspath(args.linux), os.path.abspath(args.windows)
    with tempfile.TemporaryDirectory(dir=os.environ.get("TMPDIR")) as work:
        for name in args.checks:
            CHECKS[name](args, work)
    print("end to end: %d passed, %d failed" % (len(passes), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
