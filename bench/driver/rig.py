"""What a benchmark runs under Wine: the real relvan.exe, the baseline relay.exe,
hostsim.exe with time stamps, each on a pty line of the shared prefix; and the CPU
time of the prefix's processes."""

import os
import re
import subprocess
import threading
import time

import processes
import tools
from ptypair import PtyPair
from relvanrun import RelvanRun

LINE = re.compile(r"^(SENT|RECV) (.*) t=(\d+)$")
TEXT = re.compile(r'text="(.*)"')
INDEX = re.compile(r"index=(-?\d+)")
KIND = re.compile(r"kind=(\d+)")


class Stamped:
    """One SENT or RECV line of hostsim: its time stamp (ns), kind, index and text."""

    def __init__(self, direction, body, micros):
        self.direction = direction
        self.ns = int(micros) * 1000
        text = TEXT.search(body)
        index = INDEX.search(body)
        kind = KIND.search(body)
        self.kind = int(kind.group(1)) if kind else None
        self.text = text.group(1) if text else ""
        self.index = int(index.group(1)) if index else None


class BenchHost:
    def __init__(self, prefix, title, target):
        self.title = title
        self.lines = []
        self.lock = threading.Lock()
        self.process = processes.spawn(
            ["wine", tools.binary("hostsim.exe"), "--timestamps", "--target", target, "--grace-ms", "200", title],
            env=prefix.env,
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
        )
        self.ready = threading.Event()
        threading.Thread(target=self._read, daemon=True).start()
        if not self.ready.wait(60):
            raise RuntimeError("hostsim did not start")

    def _read(self):
        for raw in self.process.stdout:
            line = raw.decode("latin-1").rstrip("\r\n")
            if line.startswith("READY"):
                self.ready.set()
            match = LINE.match(line)
            if match:
                with self.lock:
                    self.lines.append(Stamped(*match.groups()))

    def send(self, line):
        self.process.stdin.write(line.encode("latin-1") + b"\n")
        self.process.stdin.flush()

    def taken(self, direction):
        with self.lock:
            return [line for line in self.lines if line.direction == direction]

    def count(self, direction):
        with self.lock:
            return sum(1 for line in self.lines if line.direction == direction)

    def clear(self):
        with self.lock:
            self.lines.clear()

    def close(self):
        processes.stop(self.process)


class Rig:
    """The shared prefix and the lines, programs and hosts of one measurement."""

    def __init__(self, prefix, workdir):
        self.prefix = prefix
        self.workdir = workdir
        self._cleanups = []
        self._count = 0

    def folder(self, name):
        self._count += 1
        path = os.path.join(self.workdir, "%02d-%s" % (self._count, name))
        os.makedirs(path, exist_ok=True)
        return path

    def line(self, com_port):
        """A pty pair whose program end is COM<com_port>; returns the generator end's path."""
        pair = PtyPair(self.folder("com%d" % com_port), "line")
        self.prefix.map_com_port(com_port, pair.program_device)
        self._cleanups.append(pair.close)
        return pair.generator_link

    def relvan(self, ini, host_title):
        run = RelvanRun(self.prefix, self.folder("relvan"), ini)
        self._cleanups.append(run.stop)
        return run.start(host_title)

    def relay(self, gen_type, com_port, title, host_title, mode=None):
        """The baseline relay; `mode` "per-byte" or "poll" (bench/relay/main.cpp)."""
        args = ["relay.exe", str(gen_type), str(com_port), title, host_title] + ([mode] if mode else [])
        return self.program(self.folder("relay"), args)

    def program(self, folder, args, env=None):
        """One of the build's programs (args[0]) under Wine in `folder`, its output kept
        there; stopped when the rig closes."""
        output = open(os.path.join(folder, "wine-output.txt"), "ab")
        process = processes.spawn(
            ["wine", tools.binary(args[0])] + list(args[1:]),
            cwd=folder,
            env=env or self.prefix.env,
            stdout=output,
            stderr=subprocess.STDOUT,
        )
        self.add_cleanup(lambda: (processes.stop(process), output.close()))
        return process

    def host(self, title, target):
        host = BenchHost(self.prefix, title, target)
        self._cleanups.append(host.close)
        return host

    def add_cleanup(self, cleanup):
        """`cleanup()` runs when the rig closes (the last added first)."""
        self._cleanups.append(cleanup)

    def wait_window(self, title, timeout_ms=30000):
        if not tools.wait_window(self.prefix, title, timeout_ms):
            raise RuntimeError("no window titled %r" % title)

    def close(self):
        while self._cleanups:
            self._cleanups.pop()()
        for number in range(1, 10):
            self.prefix.unmap_com_port(number)
        time.sleep(0.5)
