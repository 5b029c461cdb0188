"""A screen to look at: an Xvfb display, a Wine prefix that draws on it, and screen
grabs (xwd) read as pixels or written as PNG files. The console tests read lamps as
an operator sees them, by the colour on screen, and `make screenshots` uses the same
grabs."""

import os
import struct
import subprocess
import time
import zlib

import processes
from wineprefix import WinePrefix

SCREEN_SIZE = (1024, 768)


class Display:
    """An Xvfb server on the first free display number from 91."""

    def __init__(self, size=SCREEN_SIZE):
        self.number = _free_display()
        self.name = ":%d" % self.number
        self.process = processes.spawn(
            ["Xvfb", self.name, "-screen", "0", "%dx%dx24" % size, "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        socket = "/tmp/.X11-unix/X%d" % self.number
        deadline = time.monotonic() + 20
        while not os.path.exists(socket):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("Xvfb did not start on %s" % self.name)
            time.sleep(0.05)

    def grab(self):
        """The whole screen as an Image."""
        data = subprocess.run(
            ["xwd", "-root", "-silent", "-display", self.name], stdout=subprocess.PIPE, check=True, timeout=30
        ).stdout
        return Image.from_xwd(data)

    def close(self):
        processes.stop(self.process)


def _free_display():
    for number in range(91, 200):
        if not os.path.exists("/tmp/.X%d-lock" % number) and not os.path.exists("/tmp/.X11-unix/X%d" % number):
            return number
    raise RuntimeError("no free X display number")


class Image:
    """A screen grab: pixels read one by one, or the whole image written as a PNG."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb  # bytes, 3 per pixel, row by row

    @classmethod
    def from_xwd(cls, data):
        # XWD version 7: a header of big-endian 32-bit fields, the window name, the
        # colour map, then the pixels (ZPixmap, 24 or 32 bits per pixel).
        fields = struct.unpack(">25I", data[:100])
        header_size, width, height = fields[0], fields[4], fields[5]
        byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
        masks = fields[14:17]  # red, green, blue
        ncolors = fields[19]  # colour map entries after the window name
        if bits_per_pixel not in (24, 32) or byte_order != 0 or masks != (0xFF0000, 0xFF00, 0xFF):
            layout = (bits_per_pixel, byte_order, masks)
            raise ValueError("unexpected xwd layout: %d bits, byte order %d, masks %r" % layout)
        size = bits_per_pixel // 8
        start = header_size + ncolors * 12
        rgb = bytearray(width * height * 3)
        for y in range(height):
            row = data[start + y * bytes_per_line : start + y * bytes_per_line + width * size]
            out = y * width * 3
            # Each pixel is blue, green, red (and a pad byte) in memory.
            rgb[out : out + width * 3 : 3] = row[2::size]
            rgb[out + 1 : out + width * 3 : 3] = row[1::size]
            rgb[out + 2 : out + width * 3 : 3] = row[0::size]
        return cls(width, height, bytes(rgb))

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i : i + 3])

    def crop(self, left, top, width, height):
        rows = [self.rgb[((top + y) * self.width + left) * 3 :][: width * 3] for y in range(height)]
        return Image(width, height, b"".join(rows))

    def save_png(self, path):
        row_size = self.width * 3
        raw = b"".join(b"\0" + self.rgb[y * row_size : (y + 1) * row_size] for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            for kind, body in ((b"IHDR", header), (b"IDAT", zlib.compress(raw, 9)), (b"IEND", b"")):
                out.write(struct.pack(">I", len(body)) + kind + body)
                out.write(struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


_screen = None


def screen_prefix():
    """The run's Wine prefix that draws on an Xvfb display (made on first use; both end
    with the run)."""
    global _screen
    if _screen is None:
        display = Display()
        processes.on_exit(display.close)
        _screen = WinePrefix(display=display.name).create()
        _screen.screen = display
    return _screen
