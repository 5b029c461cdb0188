"""A scriptable generator on the far end of a serial line.

It reads what the program sends, cuts it into frames of its generator type, prints
each one, and answers from a reply table. Faults can be switched on: silence, NAK,
wrong checksums, noise bursts and replies split into pieces.
"""

import fnmatch
import random
import threading
import time
from dataclasses import dataclass, field

import framing


def unescape(text: str) -> bytes:
    r"""Reply texts may carry \r, \n, \xHH and the like."""
    return text.encode("latin-1").decode("unicode_escape").encode("latin-1")


@dataclass
class Faults:
    silent: bool = False  # read and print, never answer
    nak: bool = False  # answer every command with NAK instead of a reply
    bad_checksum: bool = False  # replies carry a wrong checksum
    noise: int = 0  # random bytes sent before each reply
    split_at: int = 0  # > 0: send a reply in two pieces, cut after this many bytes
    split_ms: int = 0  # pause between pieces; with split_at 0, between single bytes
    ack: bool = True  # type 17: acknowledge every data frame with an ACK frame


@dataclass
class Reply:
    pattern: str  # command text, shell-style wildcards allowed
    text: str  # reply text; "raw:" sends the rest as bytes without framing

    @staticmethod
    def parse(rule: str) -> "Reply":
        pattern, sep, text = rule.partition("=")
        if not sep:
            raise ValueError("a reply is PATTERN=TEXT, got %r" % rule)
        return Reply(pattern, text)


@dataclass
class Received:
    time: float
    frame: framing.Frame


class Generator:
    def __init__(self, gen_type, line, replies=(), prefix="A", faults=None, out=None, name=None):
        self.gen_type = gen_type
        self.line = line
        self.replies = list(replies)
        self.prefix = prefix.encode("latin-1")
        self.faults = faults or Faults()
        self.out = out if out is not None else (lambda text: print(text, flush=True))
        self.name = name or "gen%d" % gen_type
        self.reader = framing.reader_for(gen_type)
        self.received = []  # Received, in order
        self.raw = bytearray()  # every byte the program sent
        self.changed = threading.Condition()
        self.start_time = time.monotonic()
        self.random = random.Random(gen_type)
        self._stop = threading.Event()
        self._thread = None

    # -- running -----------------------------------------------------------------

    def start(self):
        self._thread = threading.Thread(target=self._run, name=self.name, daemon=True)
        self._thread.start()
        return self

    def stop(self):
        self._stop.set()
        if self._thread is not None:
            self._thread.join(timeout=2)

    def _run(self):
        while not self._stop.is_set():
            data = self.line.read(0.05)
            if data:
                self._take(data)

    def _take(self, data):
        with self.changed:
            self.raw.extend(data)
            self.changed.notify_all()
        for frame in self.reader.feed(data):
            self._log("<-", frame.describe())
            with self.changed:
                self.received.append(Received(time.monotonic(), frame))
                self.changed.notify_all()
            if frame.kind == "command":
                self._answer(frame)

    # -- answering ---------------------------------------------------------------

    def _answer(self, frame):
        if self.faults.silent:
            return
        if self.faults.nak:
            self.send_raw(framing.NAK17 if self.gen_type == 17 else bytes([framing.NAK]))
            return
        if self.gen_type == 17 and self.faults.ack:
            self.send_raw(framing.ACK17)
        reply = self.reply_for(frame.text)
        if reply is not None:
            if self.faults.noise:
                self.send_raw(bytes(self.random.randrange(256) for _ in range(self.faults.noise)))
            self.send_reply(reply)

    def reply_for(self, command):
        for reply in self.replies:
            if fnmatch.fnmatchcase(command, reply.pattern):
                return reply.text
        return None

    def send_reply(self, text):
        """Frames `text` for this generator type (or sends it as is after "raw:")."""
        if text.startswith("raw:"):
            self.send_raw(unescape(text[4:]))
            return
        frame = framing.build_frame(self.gen_type, unescape(text), self.prefix)
        if self.faults.bad_checksum:
            frame = framing.corrupt_checksum(self.gen_type, frame)
        self.send_raw(frame)

    def send_raw(self, data):
        for piece in self._pieces(data):
            self.line.write(piece)
            self._log("->", self._describe_sent(piece))
            if len(piece) < len(data):
                time.sleep(self.faults.split_ms / 1000.0)

    def _pieces(self, data):
        if self.faults.split_at > 0 and len(data) > self.faults.split_at:
            return [data[: self.faults.split_at], data[self.faults.split_at :]]
        if self.faults.split_ms > 0 and len(data) > 1:
            return [data[i : i + 1] for i in range(len(data))]
        return [data]

    @staticmethod
    def _describe_sent(data):
        printable = "".join(chr(b) if 0x20 <= b < 0x7F else "." for b in data)
        return "%-20s %s" % (printable, " ".join("%02X" % b for b in data))

    def _log(self, direction, text):
        self.out("[%8.3f] %s %s %s" % (time.monotonic() - self.start_time, self.name, direction, text))

    # -- for tests ---------------------------------------------------------------

    def wait_for(self, predicate, timeout):
        """The first received frame for which predicate(frame) holds, or None after timeout."""
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for item in self.received:
                    if predicate(item.frame):
                        return item.frame
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.changed.wait(left)

    def wait_for_command(self, text, timeout):
        return self.wait_for(lambda f: f.kind == "command" and f.text == text, timeout)

    def wait_for_bytes(self, count, timeout):
        """The first `count` raw bytes (fewer if they do not arrive in time)."""
        deadline = time.monotonic() + timeout
        with self.changed:
            while len(self.raw) < count:
                left = deadline - time.monotonic()
                if left <= 0:
                    break
                self.changed.wait(left)
            return bytes(self.raw[:count])

    def commands(self):
        with self.changed:
            return [r for r in self.received if r.frame.kind == "command"]

    def clear(self):
        with self.changed:
            self.received.clear()
            self.raw.clear()
