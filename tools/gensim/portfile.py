"""The I/O space of the port test double (testbin/inpout32.dll): the file named by
RELVAN_PORTSIM, one byte per I/O address, 65536 bytes, 0xFF where nothing was written.
The console writes the data register (the port's base address) and reads the status
register (base + 1), whose bits 0x30 are the hand switch. The double appends every
write to the file named by RELVAN_PORTSIM_LOG as "<ms since 1970 UTC> <AAAA> <VV>".
"""

import os

SIZE = 0x10000
IDLE = 0xFF
BASE = 0x378
HAND_SWITCH_BITS = 0x30  # 0x30 standing, 0x20 ready, 0x00 exposure


class PortFile:
    def __init__(self, path, base=BASE):
        self.path = path
        self.base = base

    def ensure(self):
        """Makes the file, or fills a short one up, with 0xFF (never with zeros, which
        would read as asserted lines)."""
        with open(self.path, "ab") as space:
            size = space.tell()
            if size < SIZE:
                space.write(bytes([IDLE]) * (SIZE - size))

    def read(self, address):
        try:
            with open(self.path, "rb") as space:
                space.seek(address)
                byte = space.read(1)
        except OSError:
            return IDLE
        return byte[0] if byte else IDLE

    def write(self, address, value):
        self.ensure()
        with open(self.path, "r+b") as space:
            space.seek(address)
            space.write(bytes([value & 0xFF]))

    def data(self):
        """The data register: the value the console last wrote."""
        return self.read(self.base)

    def set_hand_switch(self, bits):
        """Moves the hand switch: bits 0x30 of the status register, the others kept."""
        status = self.base + 1
        self.write(status, (self.read(status) & ~HAND_SWITCH_BITS) | (bits & HAND_SWITCH_BITS))


def windows_path(path):
    """The path as a program under Wine names it (drive Z: is the Unix root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_write_log(path):
    """The double's write log as (milliseconds, address, value) tuples."""
    entries = []
    with open(path) as log:
        for line in log:
            ms, address, value = line.split()
            entries.append((int(ms), int(address, 16), int(value, 16)))
    return entries
