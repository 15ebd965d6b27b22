#!/usr/bin/env python3
"""Lends a Windows program under wine a pseudo-terminal as a COM port and
plays the device on its master side.

    pty_host.py [--port COM5] [--feed FILE] -- wine PROGRAM.exe [ARGS...]

wine opens COMn through the symbolic link $WINEPREFIX/dosdevices/comn; this
points it at the slave of a pty pair. The program asks for what the device
does through two FIFOs in a folder named (as a Windows path) by the
environment variable FENNOX_PTY_CONTROL, FENNOX_PTY_PORT naming the port:

    plug        a fresh pty pair; the port's link points at its slave
    send HEX    the device sends these bytes (written to the master)
    unplug      the device goes away (the master is closed)

Each request is answered by one line, "ok" or "error: <reason>". The exit
status is the program's.

With --feed, the port is plugged from the start, and once the program has
opened it the device sends the file's bytes and then goes away: for a
program that only reads the port (fennox-record).
"""
import argparse
import os
import subprocess
import sys
import tempfile
import threading
import time
import tty


class Device:
    def __init__(self, link):
        self.link = link
        self.master = None
        self.slave_path = None

    def plug(self):
        self.unplug()
        master, slave = os.openpty()
        path = os.ttyname(slave)
        # The state a Windows serial driver hands out: binary, no XON/XOFF.
        # wine reads the terminal's flags into the DCB, and the program keeps
        # every member but the line settings; a pty's cooked defaults would
        # stay in force and eat 0x11 and 0x13 (IXON).
        tty.setraw(slave)
        # Only the program under test holds the slave, as with a real port.
        os.close(slave)
        if os.path.lexists(self.link):
            os.remove(self.link)
        os.symlink(path, self.link)
        self.master = master
        self.slave_path = path

    def is_open(self):
        """Whether any process holds the slave open (wineserver does for
        the program)."""
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                fds = os.listdir("/proc/%s/fd" % pid)
                for fd in fds:
                    if os.readlink("/proc/%s/fd/%s" % (pid, fd)) == self.slave_path:
                        return True
            except OSError:
                continue
        return False

    def send(self, data):
        if self.master is None:
            raise RuntimeError("not plugged")
        view = memoryview(data)
        while view:
            view = view[os.write(self.master, view):]

    def unplug(self):
        if self.master is not None:
            os.close(self.master)
            self.master = None


def serve(device, requests, answers):
    pending = b""
    while True:
        chunk = os.read(requests, 65536)
        if not chunk:
            return
        pending += chunk
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            words = line.decode("ascii").split()
            try:
                if words == ["plug"]:
                    device.plug()
                elif words[:1] == ["send"] and len(words) <= 2:
                    device.send(bytes.fromhex(words[1] if len(words) == 2 else ""))
                elif words == ["unplug"]:
                    device.unplug()
                else:
                    raise ValueError("unknown request %r" % line)
                answer = "ok"
            except (OSError, ValueError, RuntimeError) as error:
                answer = "error: %s" % error
            os.write(answers, (answer + "\n").encode("ascii"))


def feed(device, data):
    deadline = time.monotonic() + 60
    while not device.is_open():
        if time.monotonic() > deadline:
            print("pty_host.py: the program never opened the port", file=sys.stderr)
            return
        time.sleep(0.05)
    # Time for the program to set the port up after opening it.
    time.sleep(0.5)
    for start in range(0, len(data), 1024):
        device.send(data[start:start + 1024])
        time.sleep(0.01)
    time.sleep(0.5)
    device.unplug()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", default="COM5")
    parser.add_argument("--feed", help="bytes the device sends once the port is open")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no program given")
    link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", args.port.lower())
    device = Device(link)
    with tempfile.TemporaryDirectory(prefix="fennox-pty-") as folder:
        paths = [os.path.join(folder, name) for name in ("requests", "answers")]
        for path in paths:
            os.mkfifo(path)
        # Both ends of both FIFOs stay open here, so the program's opens
        # never wait and no read sees an end of file between requests.
        requests, answers = (os.open(path, os.O_RDWR) for path in paths)
        env = dict(os.environ)
        env["FENNOX_PTY_CONTROL"] = "Z:" + folder.replace("/", "\\")
        env["FENNOX_PTY_PORT"] = args.port
        threading.Thread(target=serve, args=(device, requests, answers), daemon=True).start()
        if args.feed:
            with open(args.feed, "rb") as source:
                data = source.read()
            device.plug()
            threading.Thread(target=feed, args=(device, data), daemon=True).start()
        try:
            status = subprocess.call(command, env=env)
        finally:
            device.unplug()
            if os.path.lexists(link):
                os.remove(link)
    return status


if __name__ == "__main__":
    sys.exit(main())
