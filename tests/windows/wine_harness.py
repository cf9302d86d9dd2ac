#!/usr/bin/env python3
"""Runs Windows programs under Wine against serial peers on pseudo-terminals.

Each COM port is mapped explicitly in the prefix's dosdevices to a
pseudo-terminal made here; COM1, which Wine maps to the machine's first
serial device by itself, is never used.

  channel  the Win32 channel tests, with a small peer on the other end
  cli      zetalink-cli.exe against the zeta7-sim emulator (a Linux program)

Every wait is bounded. Exit status 0 when everything passed.
"""

import argparse
import json
import os
import pty
import select
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

RUN_TIMEOUT_S = 120


def map_port(prefix, number, target):
    """Points COMn of the prefix at a device path; None removes the mapping."""
    devices = os.path.join(prefix, "dosdevices")
    os.makedirs(devices, exist_ok=True)
    link = os.path.join(devices, "com%d" % number)
    if os.path.lexists(link):
        os.unlink(link)
    if target is not None:
        os.symlink(target, link)


def run_wine(argv, extra_env=None, timeout=RUN_TIMEOUT_S):
    """Runs a Windows program; returns (status, stdout, stderr, seconds).

    Output goes through files, not pipes: Wine's background services inherit
    the first program's output and would keep a pipe open.
    """
    env = dict(os.environ, WINEDEBUG="-all")
    env.update(extra_env or {})
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.monotonic()
        try:
            status = subprocess.run(["wine"] + argv, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=err, env=env, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            status = None
        elapsed = time.monotonic() - start
        out.seek(0)
        err.seek(0)
        # Windows programs end their text lines with CR LF.
        return (status, out.read().decode("utf-8", "replace").replace("\r\n", "\n"),
                err.read().decode("utf-8", "replace").replace("\r\n", "\n"), elapsed)


# ------------------------------------------------------------------ channel

SPEEDS = {9600: termios.B9600, 19200: termios.B19200, 38400: termios.B38400,
          57600: termios.B57600, 115200: termios.B115200}


def line_faults(fd, speed):
    """What differs from a raw 8N1 line without flow control at `speed`."""
    iflag, oflag, cflag, lflag, ispeed, ospeed, _ = termios.tcgetattr(fd)
    faults = []
    for name in ("IXON", "IXOFF", "IXANY", "ICRNL", "INLCR", "IGNCR", "ISTRIP", "INPCK",
                 "PARMRK"):
        if iflag & getattr(termios, name):
            faults.append(name)
    if oflag & termios.OPOST:
        faults.append("OPOST")
    if cflag & termios.CSIZE != termios.CS8:
        faults.append("not CS8")
    for name in ("PARENB", "CSTOPB", "CRTSCTS"):
        if cflag & getattr(termios, name):
            faults.append(name)
    for name in ("ICANON", "ECHO", "ISIG", "IEXTEN"):
        if lflag & getattr(termios, name):
            faults.append(name)
    if ispeed != SPEEDS.get(speed) or ospeed != SPEEDS.get(speed):
        faults.append("speed %o/%o" % (ispeed, ospeed))
    return faults


class Peer(threading.Thread):
    """The far end of the line for the channel tests (see the test file)."""

    def __init__(self, master):
        super().__init__(daemon=True)
        self.master = master
        self.stop = threading.Event()
        self.buffer = b""

    def run(self):
        while not self.stop.is_set() and self.master is not None:
            try:
                ready, _, _ = select.select([self.master], [], [], 0.05)
                if ready:
                    self.buffer += os.read(self.master, 4096)
            except OSError:
                time.sleep(0.02)  # no program has the port open right now
                continue
            self.handle()

    def handle(self):
        while self.buffer:
            command = self.buffer[:1]
            if command == b"C":
                if len(self.buffer) < 5:
                    return
                speed = struct.unpack(">I", self.buffer[1:5])[0]
                self.buffer = self.buffer[5:]
                faults = line_faults(self.master, speed)
                answer = b"K" if not faults else ("B" + " ".join(faults) + "\n").encode()
                os.write(self.master, answer)
            elif command == b"E":
                if len(self.buffer) < 2 or len(self.buffer) < 2 + self.buffer[1]:
                    return
                count = self.buffer[1]
                os.write(self.master, self.buffer[2:2 + count])
                self.buffer = self.buffer[2 + count:]
            elif command == b"H":
                os.close(self.master)
                self.master = None
                self.buffer = b""
                return
            else:
                self.buffer = self.buffer[1:]


def run_channel(args):
    failed = False
    # The hang-up test closes the line for good, so it gets a line of its own.
    for gtest_filter in ("ChannelOnPty.*:-ChannelOnPty.HangUp*", "ChannelOnPty.HangUp*"):
        master, slave = pty.openpty()
        map_port(args.prefix, args.com, os.ttyname(slave))
        os.close(slave)  # the Windows program opens it by name
        peer = Peer(master)
        peer.start()
        status, out, err, _ = run_wine(
            [args.exe, "--gtest_filter=" + gtest_filter],
            {"ZETALINK_TEST_PORT": "COM%d" % args.com})
        peer.stop.set()
        peer.join(5)
        if peer.master is not None:
            os.close(peer.master)
        map_port(args.prefix, args.com, None)
        sys.stdout.write(out)
        sys.stderr.write(err)
        if status != 0:
            print("FAILED: %s (exit %s)" % (gtest_filter, status))
            failed = True
    return 1 if failed else 0


# ---------------------------------------------------------------------- cli

class Emulator:
    """zeta7-sim on a pseudo-terminal, mapped to a COM port of the prefix."""

    def __init__(self, args, options):
        self.process = subprocess.Popen([args.sim, "--no-pacing"] + options,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        ready, _, _ = select.select([self.process.stdout], [], [], 10)
        path = self.process.stdout.readline().strip() if ready else ""
        if not path.startswith("/dev/"):
            self.close()
            raise RuntimeError("zeta7-sim did not name its pseudo-terminal")
        map_port(args.prefix, args.com, path)
        self.args = args

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def expect(self, name, condition, run=None):
        if condition:
            self.passed += 1
            return
        self.failed += 1
        print("FAILED: " + name)
        if run is not None:
            status, out, err, elapsed = run
            print("  exit %s after %.1f s\n--- stdout\n%s--- stderr\n%s" % (status, elapsed, out,
                                                                           err))


def summary(out):
    lines = [line for line in out.splitlines() if line.strip()]
    try:
        return json.loads(lines[-1]) if lines else {}
    except ValueError:
        return {}


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_cli(args):
    if not os.path.isdir(args.images):
        print("FAILED: no sample update files in " + args.images)
        return 1
    checks = Checks()
    images = windows_path(args.images)

    def cli(*options):
        return run_wine([args.cli, "--port", "COM%d" % args.com, "--images", images]
                        + list(options))

    def has(run, text, stream=1):
        return text in run[stream]

    emulator = Emulator(args, [])
    try:
        run = cli("info")
        checks.expect("info exits 0", run[0] == 0, run)
        for line in ("Connecting to ZETA Loader passed!\n", "Serial number:  12345678\n",
                     "MAC address:    02F1A9123456\n", "Loader version: 1.10\n",
                     "Firmware:       1.00 (newest file 1.02)\n",
                     "Logic:          1.00 (newest file 1.02)\n",
                     "Starting firmware please wait....\n"):
            checks.expect("info prints " + line.strip(), has(run, line), run)

        run = cli("--json", "update")
        checks.expect("update exits 0", run[0] == 0, run)
        for line in ("Firmware: Programming Flash ... passed!\n", "Logic: Verifying ... ( 99% )\n",
                     "Updating firmware and logic passed!\n",
                     "Firmware:       1.02 (newest file 1.02)\n",
                     "Logic:          1.02 (newest file 1.02)\n"):
            checks.expect("update prints " + line.strip(), has(run, line), run)
        result = summary(run[1])
        commands = result.get("commands", [])
        checks.expect("update summary", len(commands) == 2
                      and commands[1].get("outcome") == "passed"
                      and commands[1].get("logic_rows") == 134, run)

        run = cli("current", "update")
        checks.expect("second update exits 0", run[0] == 0, run)
        checks.expect("second update has nothing to do", has(run, "nothing to update"), run)

        run = cli("--ip", "10.1.2.3", "--subnet", "255.255.0.0", "--trace", "transmit")
        checks.expect("transmit exits 0", run[0] == 0, run)
        checks.expect("transmit writes the setup block",
                      has(run, "Writing setup data ....\nWriting setup data passed\n")
                      and has(run, "0A 01 02 03", 2), run)

        run = cli("erase")
        checks.expect("unconfirmed erase exits 1", run[0] == 1, run)
        checks.expect("unconfirmed erase says how to confirm", has(run, "--yes", 2), run)
    finally:
        emulator.close()
        map_port(args.prefix, args.com, None)

    # A COM number that nothing stands behind. It stays mapped (to a path
    # that does not exist), so that Wine cannot give it a device of its own.
    map_port(args.prefix, args.com, os.path.join(args.prefix, "no-such-port"))
    run = run_wine([args.cli, "--port", "COM%d" % args.com, "--images", images, "info"])
    checks.expect("missing port exits 3", run[0] == 3, run)
    checks.expect("missing port says so", has(run, "no such device", 2)
                  and has(run, "zetaLink: Cannot connect to ZETA loader!\n", 2), run)
    checks.expect("missing port fails at once", run[3] < 10, run)
    map_port(args.prefix, args.com, None)

    # The device hangs up half way through the firmware: Wine's ReadFile then
    # returns without a byte and ClearCommError fails.
    emulator = Emulator(args, ["--hang-up-after", "3000"])
    try:
        run = cli("--json", "update", "transmit", "--ip", "10.0.0.1")
        checks.expect("hang-up exits 1", run[0] == 1, run)
        checks.expect("hang-up ends in bounded time", run[3] < 60, run)
        checks.expect("hang-up fails the update",
                      has(run, "zetaLink: Firmware update failed!\n", 2)
                      and has(run, "Updating firmware and logic failed!\n"), run)
        commands = summary(run[1]).get("commands", [])
        checks.expect("hang-up skips the transmit", len(commands) == 3
                      and commands[2].get("outcome") == "skipped", run)
    finally:
        emulator.close()
        map_port(args.prefix, args.com, None)

    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--prefix", required=True, help="the Wine prefix")
    parser.add_argument("--com", type=int, required=True, help="the COM number to map (2-19)")
    modes = parser.add_subparsers(dest="mode", required=True)
    channel = modes.add_parser("channel")
    channel.add_argument("--exe", required=True)
    cli = modes.add_parser("cli")
    cli.add_argument("--cli", required=True)
    cli.add_argument("--sim", required=True)
    cli.add_argument("--images", required=True)
    args = parser.parse_args()
    if args.com < 2:
        parser.error("COM1 belongs to the machine's own serial port under Wine")
    os.environ["WINEPREFIX"] = args.prefix
    return run_channel(args) if args.mode == "channel" else run_cli(args)


if __name__ == "__main__":
    sys.exit(main())
