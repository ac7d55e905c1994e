#!/usr/bin/env python3
"""Runs a command with two COM ports of a Wine prefix joined by a null-modem cable.

Two pseudo-terminals stand in for the ports: their terminal sides are linked as
dosdevices/comN and dosdevices/comM of the prefix, and what one port sends, the other
receives. The Windows tests open the first as the converter's port and drive the line from
the second. The command gets VELORA_WINE_PORT=COMN and VELORA_WINE_LINE=COMM in its
environment; its exit status is returned.

A test pulls the converter out by creating the file named in VELORA_WINE_UNPLUG (a Windows
path): the first port's terminal is then closed, as a USB-serial port vanishes, and a new
one is linked under the same name; the file is removed once that is done.

usage: null_modem.py PREFIX N M -- COMMAND...
"""

import os
import pty
import select
import subprocess
import sys
import threading
import tty


class Port:
    def __init__(self, prefix, number):
        self.link = os.path.join(prefix, "dosdevices", "com%d" % number)
        self.name = "COM%d" % number
        self.plug_in()

    def plug_in(self):
        self.master, self.terminal = pty.openpty()
        # Raw from the start: no echo and no line editing before Wine sets the port up.
        tty.setraw(self.terminal)
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(os.ttyname(self.terminal), self.link)

    def pull_out(self):
        os.close(self.master)
        # Kept open until here, so that the master never reads a hang-up while Wine has
        # the port closed between tests.
        os.close(self.terminal)

    def close(self):
        os.unlink(self.link)
        self.pull_out()


def write_all(fd, data):
    while data:
        data = data[os.write(fd, data):]


def relay(a, b, stop, unplug_request):
    while True:
        if os.path.exists(unplug_request):
            a.pull_out()
            a.plug_in()
            os.unlink(unplug_request)
        peer = {a.master: b.master, b.master: a.master}
        ready, _, _ = select.select([a.master, b.master, stop], [], [], 0.02)
        if stop in ready:
            return
        for fd in ready:
            write_all(peer[fd], os.read(fd, 4096))


def main(argv):
    if len(argv) < 5 or argv[3] != "--":
        sys.exit(__doc__)
    prefix, first, second, command = argv[0], int(argv[1]), int(argv[2]), argv[4:]
    a, b = Port(prefix, first), Port(prefix, second)
    unplug_request = os.path.abspath(os.path.join(prefix, "unplug-request"))
    stop_read, stop_write = os.pipe()
    thread = threading.Thread(target=relay, args=(a, b, stop_read, unplug_request), daemon=True)
    thread.start()
    env = dict(os.environ, VELORA_WINE_PORT=a.name, VELORA_WINE_LINE=b.name,
               VELORA_WINE_UNPLUG="Z:" + unplug_request.replace("/", "\\"))
    try:
        status = subprocess.call(command, env=env)
    finally:
        os.write(stop_write, b"x")
        thread.join()
        a.close()
        b.close()
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
