"""hostsim.exe under Wine as the test's imaging host: it sends records to the program
and collects the records the program sends back."""

import re
import subprocess
import threading
import time

import processes
import tools

RECV = re.compile(r"^RECV kind=(\d+)(?: index=(-?\d+))?(?: value=(\d+))?(?: cb=(\d+))?(?: text=\"(.*)\")?")


class Record:
    def __init__(self, line):
        match = RECV.match(line)
        self.line = line
        self.kind = int(match.group(1))
        self.index = int(match.group(2)) if match.group(2) is not None else None
        self.value = int(match.group(3)) if match.group(3) is not None else None
        self.text = match.group(5)

    def __repr__(self):
        return self.line


class HostSim:
    def __init__(self, prefix, title, target="Relvan", out=None, exe=None):
        """`exe`: the hostsim.exe to run, by default the build's."""
        self.title = title
        self.out = out  # called with every line hostsim prints, as it comes
        self.lines = []
        self.changed = threading.Condition()
        self.process = processes.spawn(
            ["wine", exe or tools.binary("hostsim.exe"), "--target", target, "--grace-ms", "200", title],
            env=prefix.env,
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
        )
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        if self.wait_line(lambda line: line.startswith("READY"), 30) is None:
            raise RuntimeError("hostsim did not start")

    def _read(self):
        for raw in self.process.stdout:
            line = raw.decode("latin-1").rstrip("\r\n")
            if self.out is not None:
                self.out(line)
            with self.changed:
                self.lines.append(line)
                self.changed.notify_all()

    def send(self, line):
        """Hands one script line to hostsim (see tools/hostsim/HostCommand.h)."""
        self.process.stdin.write(line.encode("latin-1") + b"\n")
        self.process.stdin.flush()

    def wait_line(self, predicate, timeout):
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for line in self.lines:
                    if predicate(line):
                        return line
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.changed.wait(left)

    def records(self):
        with self.changed:
            return [Record(line) for line in self.lines if line.startswith("RECV ")]

    def wait_records(self, count, timeout):
        """The first `count` records (fewer if they do not come in time)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and len(self.records()) < count:
            time.sleep(0.05)
        return self.records()[:count]

    def console_report(self, timeout):
        """Asks the console for its parameter report (console command 111) and returns
        the text of the kind-112 record it answers with, or None if none comes in time."""
        count = self._kind_count(112)
        self.send("console 111")
        deadline = time.monotonic() + timeout
        while self._kind_count(112) <= count:
            if time.monotonic() > deadline:
                return None
            time.sleep(0.05)
        return [r.text for r in self.records() if r.kind == 112][-1]

    def _kind_count(self, kind):
        return sum(1 for r in self.records() if r.kind == kind)

    def close(self):
        if self.process.poll() is None:
            try:
                self.send("quit")
                self.process.stdin.close()
                self.process.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                pass
        processes.stop(self.process)
        self._reader.join(timeout=2)
        for pipe in (self.process.stdin, self.process.stdout):
            if not pipe.closed:
                pipe.close()
