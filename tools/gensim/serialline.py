"""The generator's end of a serial line: a pty or a real serial device, raw."""

import os
import select
import termios
import time
import tty

BAUD_CONSTANTS = {
    9600: termios.B9600,
    19200: termios.B19200,
    38400: termios.B38400,
    57600: termios.B57600,
    115200: termios.B115200,
}


class SerialLine:
    """Raw, non-blocking access to one serial device; every read has a timeout."""

    def __init__(self, path: str, baud: int = 0):
        self.path = path
        self.fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        tty.setraw(self.fd)
        attrs = termios.tcgetattr(self.fd)
        attrs[3] &= ~termios.ECHO
        if baud in BAUD_CONSTANTS:
            attrs[4] = attrs[5] = BAUD_CONSTANTS[baud]
        termios.tcsetattr(self.fd, termios.TCSANOW, attrs)

    def read(self, timeout: float) -> bytes:
        """Whatever arrives within `timeout` seconds (b"" when nothing does)."""
        ready, _, _ = select.select([self.fd], [], [], max(timeout, 0))
        if not ready:
            return b""
        try:
            return os.read(self.fd, 4096)
        except BlockingIOError:
            return b""
        except OSError:
            # The far end is gone (a pty without a peer reports EIO).
            time.sleep(max(timeout, 0))
            return b""

    def read_exactly(self, count: int, timeout: float) -> bytes:
        """At least `count` bytes, unless `timeout` seconds pass first."""
        deadline = time.monotonic() + timeout
        data = b""
        while len(data) < count:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            data += self.read(min(left, 0.05))
        return data

    def drain(self, quiet: float = 0.1) -> bytes:
        """Everything until the line has been quiet for `quiet` seconds."""
        data = b""
        while True:
            chunk = self.read(quiet)
            if not chunk:
                return data
            data += chunk

    def write(self, data: bytes) -> None:
        view = memoryview(data)
        while view:
            try:
                written = os.write(self.fd, view)
            except BlockingIOError:
                select.select([], [self.fd], [], 0.1)
                continue
            view = view[written:]

    def close(self) -> None:
        if self.fd >= 0:
            os.close(self.fd)
            self.fd = -1
