"""The generator's end of a pty line for the benchmarks: a tight select loop that
time-stamps (time.time_ns) the chunk that completes each frame the program sends,
an optional answering rule, and writes whose end is time-stamped too."""

import os
import select
import threading
import time

import framing
from serialline import SerialLine


class Arrival:
    def __init__(self, ns, frame):
        self.ns = ns
        self.frame = frame


class BenchLine:
    def __init__(self, path, gen_type, answer=None):
        """`answer(frame)` returns the bytes to send back for a frame, or None."""
        self.line = SerialLine(path)
        self.reader = framing.reader_for(gen_type)
        self.answer = answer
        self.arrivals = []  # Arrival, in order
        self.writes = []  # (ns after the write returned, bytes)
        self.lock = threading.Lock()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        fd = self.line.fd
        while not self._stop.is_set():
            ready, _, _ = select.select([fd], [], [], 0.2)
            if not ready:
                continue
            try:
                data = os.read(fd, 4096)
            except (BlockingIOError, OSError):
                continue
            now = time.time_ns()
            for frame in self.reader.feed(data):
                with self.lock:
                    self.arrivals.append(Arrival(now, frame))
                reply = self.answer(frame) if self.answer is not None else None
                if reply:
                    self.write(reply)

    def write(self, data):
        """Writes `data` whole; returns the time stamp taken when its last byte is written."""
        self.line.write(data)
        now = time.time_ns()
        with self.lock:
            self.writes.append((now, data))
        return now

    def commands(self):
        with self.lock:
            return [a for a in self.arrivals if a.frame.kind == "command"]

    def clear(self):
        with self.lock:
            self.arrivals.clear()
            self.writes.clear()

    def close(self):
        self._stop.set()
        self._thread.join(timeout=2)
        self.line.close()
