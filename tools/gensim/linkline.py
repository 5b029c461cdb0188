r"""The text lines that the link component (relvanlink.dll) exchanges with the device
behind its serial port, seen from the device.

A line is ASCII ended by LF (a CR before the LF is dropped); its fields are separated
by one TAB. Inside a field TAB, CR, LF and backslash are written \t, \r, \n and \\;
a backslash before any other character, or at the end of a field, stands for itself.
An empty argument is an empty field.
  from the program:  CALL<TAB>id<TAB>arg...   (one line per method call)
  to the program:    EVENT<TAB>id<TAB>arg...  (raises event id)
"""

from dataclasses import dataclass

_ESCAPES = {"\\": "\\\\", "\t": "\\t", "\r": "\\r", "\n": "\\n"}
_UNESCAPES = {"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}

# Bytes without an LF beyond this are dropped as one overlong line.
MAX_LINE = 4096


def escape(field: str) -> str:
    return "".join(_ESCAPES.get(char, char) for char in field)


def unescape(field: str) -> str:
    out = []
    index = 0
    while index < len(field):
        char = field[index]
        following = field[index + 1 : index + 2]
        if char == "\\" and following in _UNESCAPES:
            out.append(_UNESCAPES[following])
            index += 2
        else:
            out.append(char)
            index += 1
    return "".join(out)


def join_line(fields) -> bytes:
    return ("\t".join(escape(field) for field in fields) + "\n").encode("latin-1")


def split_line(line: bytes):
    """The unescaped fields of one line (without its LF)."""
    return [unescape(field) for field in line.decode("latin-1").split("\t")]


def event_line(event_id: int, args) -> bytes:
    return join_line(["EVENT", str(event_id)] + list(args))


def describe(fields) -> str:
    """Fields for people: escaped, separated by blanks, quoted when empty or holding a blank."""
    shown = (escape(field) for field in fields)
    return " ".join('"%s"' % text if text == "" or " " in text else text for text in shown)


@dataclass(frozen=True)
class Call:
    """One method call of the program: CALL<TAB>id<TAB>arg..."""

    id: int
    args: tuple = ()

    @staticmethod
    def parse(fields):
        """The call these fields carry, or None for any other line."""
        if len(fields) < 2 or fields[0] != "CALL":
            return None
        digits = fields[1]
        if not (digits.isascii() and digits.isdigit() and 1 <= len(digits) <= 9):
            return None
        return Call(int(digits), tuple(fields[2:]))

    def text(self) -> str:
        return describe(["CALL", str(self.id)] + list(self.args))


class LineReader:
    """Cuts bytes, however they arrive, into lines without their CR LF or LF. A line
    longer than MAX_LINE is dropped whole (and counted in `dropped`)."""

    def __init__(self):
        self.buf = bytearray()
        self.overlong = False
        self.dropped = 0

    def feed(self, data: bytes):
        lines = []
        for byte in data:
            if byte == 0x0A:
                if self.overlong:
                    self.dropped += 1
                else:
                    lines.append(bytes(self.buf[:-1] if self.buf.endswith(b"\r") else self.buf))
                self.buf.clear()
                self.overlong = False
            elif not self.overlong:
                self.buf.append(byte)
                if len(self.buf) > MAX_LINE:
                    self.buf.clear()
                    self.overlong = True
        return lines
