"""End-to-end harness: the real relvan.exe under Wine, a host simulator and generator
simulators on pty serial lines. Tests derive from E2ETestCase; everything a test starts
is stopped when the test ends, and the Wine prefix when the run ends."""

import os
import re
import sys
import unittest

from wineprefix import REPO, shared_prefix

sys.path.insert(0, os.path.join(REPO, "tools", "gensim"))

from host import HostSim  # noqa: E402
from ptypair import PtyPair  # noqa: E402
from relvanrun import ERROR_BOX, RelvanRun  # noqa: E402
from serialline import SerialLine  # noqa: E402
from simulator import Faults, Generator, Reply  # noqa: E402

__all__ = ["E2ETestCase", "ERROR_BOX", "Faults", "Reply", "ini_for", "cpu_ticks", "LOG_LINE"]

# One log entry as the program writes it: time stamp, level tag, text, CR LF.
LOG_LINE = re.compile(rb"\d\d:\d\d:\d\d\.\d\d\d \[[EWID]\] [^\r\n]*\r\n")

DEFAULT_BAUD = {11: 19200, 13: 57600, 17: 38400}


def ini_for(type_gen, com_port=5, **generator):
    """A Lumora.ini for one generator type; extra GENERATOR keys as keyword arguments."""
    keys = {"COMPORT": com_port, "EnableDebug": 1}
    keys.update(generator)
    return {"CONTROLPANNEL": {"TypeGen": type_gen}, "GENERATOR": keys}


def cpu_ticks(pid, thread=None):
    """User plus system CPU time of a Linux process (or one of its threads), in clock ticks."""
    path = "/proc/%d/stat" % pid if thread is None else "/proc/%d/task/%d/stat" % (pid, thread)
    with open(path) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


class E2ETestCase(unittest.TestCase):
    def setUp(self):
        self.prefix = shared_prefix()
        self.dir = os.path.join(self.prefix.root, "tests", self.id().split(".", 1)[-1])
        os.makedirs(self.dir, exist_ok=True)

    def serial(self, com_port):
        """A pty pair whose program end is COM<com_port> in the prefix."""
        self._pairs = getattr(self, "_pairs", 0) + 1
        pair = PtyPair(self.dir, "com%d-%d" % (com_port, self._pairs))
        self.prefix.map_com_port(com_port, pair.program_device)
        self.addCleanup(self.prefix.unmap_com_port, com_port)
        self.addCleanup(pair.close)
        return pair

    def generator_line(self, pair):
        line = SerialLine(pair.generator_link)
        self.addCleanup(line.close)
        return line

    def generator(self, gen_type, pair, replies=(), prefix="A", faults=None):
        """A generator simulator on the far end of `pair`, already running."""
        replies = [Reply.parse(r) if isinstance(r, str) else r for r in replies]
        log = open(os.path.join(self.dir, "gensim.txt"), "a")
        self.addCleanup(log.close)
        gen = Generator(gen_type, self.generator_line(pair), replies, prefix, faults, out=self._printer(log))
        self.addCleanup(gen.stop)
        return gen.start()

    @staticmethod
    def _printer(log):
        def out(text):
            log.write(text + "\n")
            log.flush()

        return out

    def relvan(self, ini, host_title=None, exe_name="relvan.exe", folder="relvan"):
        run = RelvanRun(self.prefix, os.path.join(self.dir, folder), ini, exe_name)
        self.addCleanup(run.stop)
        return run.start(host_title)

    def host(self, title="E2E Host"):
        sim = HostSim(self.prefix, title)
        self.addCleanup(sim.close)
        return sim

    def assertLogged(self, run, text, timeout=5):
        if not run.wait_log(text, timeout):
            self.fail("log has no entry with %r; it holds:\n%s" % (text, "\n".join(run.log_lines())))
