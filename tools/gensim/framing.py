"""Frames and checksums of the three serial generator types, seen from the generator.

Type 11: text, ETX, one byte = low 8 bits of the sum of text and ETX.
Type 13: STX, text, two upper-case hex digits of the one's complement of the low
         8 bits of the sum of STX and text, ETX. Acknowledgement: ACK ETX.
Type 17: SYN SYN SYN STX, body = prefix ('A' console, 'C' mini-console) text ETX,
         one byte = XOR of the body. Acknowledgement frame: body ACK ETX.
"""

from dataclasses import dataclass

STX, ETX, ACK, NAK, SYN = 0x02, 0x03, 0x06, 0x15, 0x16

# What the program sends a type-11 generator once, right after opening the port.
TYPE11_STARTUP = bytes([0x01, 0x35, 0x00, 0x01, 0x01, 0x38])


def sum_checksum(data: bytes) -> int:
    return sum(data) & 0xFF


def hex_checksum(data: bytes) -> bytes:
    return b"%02X" % (255 - (sum(data) & 0xFF))


def xor_checksum(data: bytes) -> int:
    value = 0
    for byte in data:
        value ^= byte
    return value


def frame11(text: bytes) -> bytes:
    body = text + bytes([ETX])
    return body + bytes([sum_checksum(body)])


def frame13(text: bytes) -> bytes:
    head = bytes([STX]) + text
    return head + hex_checksum(head) + bytes([ETX])


def frame17(text: bytes, prefix: bytes = b"A") -> bytes:
    body = prefix + text + bytes([ETX])
    return bytes([SYN, SYN, SYN, STX]) + body + bytes([xor_checksum(body)])


ACK13 = bytes([ACK, ETX])
ACK17 = bytes([SYN, SYN, SYN, STX, ACK, ETX, ACK ^ ETX])
NAK17 = bytes([SYN, SYN, SYN, STX, NAK, ETX, NAK ^ ETX])


def build_frame(gen_type: int, text: bytes, prefix: bytes = b"A") -> bytes:
    if gen_type == 11:
        return frame11(text)
    if gen_type == 13:
        return frame13(text)
    return frame17(text, prefix)


def corrupt_checksum(gen_type: int, frame: bytes) -> bytes:
    """The same frame with a checksum that does not match."""
    if gen_type == 13:
        return frame[:-3] + (b"00" if frame[-3:-1] != b"00" else b"11") + frame[-1:]
    return frame[:-1] + bytes([frame[-1] ^ 0xFF])


@dataclass
class Frame:
    """One unit the program sent: a command, an acknowledgement or stray bytes."""

    kind: str  # "command", "ack", "nak", "startup" or "noise"
    text: str  # the command text (prefix removed for type 17)
    raw: bytes  # every byte of the unit as it came off the wire
    checksum_ok: bool = True
    prefix: str = ""  # type 17: 'A' or 'C'

    def describe(self) -> str:
        hex_bytes = " ".join("%02X" % b for b in self.raw)
        if self.kind == "command":
            label = self.prefix + self.text
            note = "" if self.checksum_ok else "  (bad checksum)"
            return "%-20s %s%s" % (label, hex_bytes, note)
        return "%-20s %s" % ("<%s>" % self.kind, hex_bytes)


# Bytes without a frame end beyond this are reported as noise and dropped.
MAX_UNIT = 4096


def _text(data: bytes) -> str:
    return data.decode("latin-1")


def _overflow(buf: bytearray):
    if len(buf) < MAX_UNIT:
        return []
    raw = bytes(buf)
    buf.clear()
    return [Frame("noise", "", raw)]


class Type11Reader:
    """Cuts the program's type-11 byte stream into frames: text ETX sum."""

    def __init__(self):
        self.buf = bytearray()

    def feed(self, data: bytes):
        frames = []
        for byte in data:
            frames.extend(self._byte(byte))
        return frames

    def _byte(self, byte):
        if len(self.buf) and self.buf[-1] == ETX:
            body = bytes(self.buf)
            self.buf.clear()
            raw = body + bytes([byte])
            ok = sum_checksum(body) == byte
            return [Frame("command", _text(body[:-1]), raw, ok)]
        self.buf.append(byte)
        if bytes(self.buf) == TYPE11_STARTUP:
            self.buf.clear()
            return [Frame("startup", "", TYPE11_STARTUP)]
        return _overflow(self.buf)


class Type13Reader:
    """Cuts the program's type-13 byte stream into frames: STX text HH ETX, or ACK ETX."""

    def __init__(self):
        self.buf = bytearray()

    def feed(self, data: bytes):
        frames = []
        for byte in data:
            self.buf.append(byte)
            if byte == ETX:
                frames.append(self._frame(bytes(self.buf)))
                self.buf.clear()
            frames.extend(_overflow(self.buf))
        return frames

    @staticmethod
    def _frame(raw: bytes) -> Frame:
        if raw == ACK13:
            return Frame("ack", "", raw)
        start = raw.find(bytes([STX]))
        if start < 0 or len(raw) - start < 4:
            return Frame("noise", "", raw)
        head, digits = raw[start:-3], raw[-3:-1]
        return Frame("command", _text(head[1:]), raw, hex_checksum(head) == digits)


class Type17Reader:
    """Cuts the program's type-17 byte stream into SYN-framed frames."""

    def __init__(self):
        self.buf = bytearray()
        self.body_done = False

    def feed(self, data: bytes):
        frames = []
        for byte in data:
            self.buf.append(byte)
            if self.body_done:
                frames.append(self._frame(bytes(self.buf)))
                self.buf.clear()
                self.body_done = False
            elif byte == ETX and STX in self.buf:
                self.body_done = True
            frames.extend(_overflow(self.buf))
        return frames

    @staticmethod
    def _frame(raw: bytes) -> Frame:
        body = raw[raw.index(STX) + 1 : -1]
        ok = xor_checksum(body) == raw[-1]
        if body == bytes([ACK, ETX]):
            return Frame("ack", "", raw, ok)
        if body == bytes([NAK, ETX]):
            return Frame("nak", "", raw, ok)
        prefix = _text(body[:1]) if body[:1] in (b"A", b"C") else ""
        return Frame("command", _text(body[len(prefix) : -1]), raw, ok, prefix)


def reader_for(gen_type: int):
    return {11: Type11Reader, 13: Type13Reader, 17: Type17Reader}[gen_type]()
