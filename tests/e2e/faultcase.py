"""What the fault tests share: one program between a host simulator and a generator
simulator on COM5, and the records the host got."""

import time

from harness import E2ETestCase, Faults, ini_for

import framing  # from tools/gensim, which harness puts on the path

HOST = "E2E Host"
TIMEOUT = 20  # seconds for anything that should come at once; generous for a loaded machine


def frame(gen_type, text, prefix="A"):
    """A reply as the generator of `gen_type` frames it."""
    return framing.build_frame(gen_type, text.encode("latin-1"), prefix.encode("latin-1"))


class FaultTestCase(E2ETestCase):
    def start(self, gen_type, replies=(), prefix="A", faults=None, prepare_line=None, **keys):
        """The program with its host and generator, once it has opened the port.
        `prepare_line`, when given, is called with the program's end of the line first."""
        self.pair = self.serial(5)
        if prepare_line is not None:
            prepare_line(self.pair.program_device)
        self.gen = self.generator(gen_type, self.pair, replies, prefix, faults or Faults())
        self.hostsim = self.host(HOST)
        self.run_ = self.relvan(ini_for(gen_type, 5, **keys), host_title=HOST)
        self.assertLogged(self.run_, "Connected generator port:5", timeout=TIMEOUT)

    def host_texts(self, hostsim=None):
        return [r.text for r in (hostsim or self.hostsim).records()]

    def wait_host_texts(self, count, timeout=TIMEOUT):
        """The texts of the first `count` records (fewer if they do not come in time)."""
        return [r.text for r in self.hostsim.wait_records(count, timeout)]

    def wait_commands(self, count, timeout=TIMEOUT):
        """The texts of the first `count` commands the generator got."""
        self.until(lambda: len(self.gen.commands()) >= count, timeout)
        return [r.frame.text for r in self.gen.commands()][:count]

    @staticmethod
    def until(condition, timeout=TIMEOUT):
        """True as soon as condition() holds, False if it does not within `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                return False
            time.sleep(0.02)
        return True

    def command_count(self, text=None):
        return len([r for r in self.gen.commands() if text is None or r.frame.text == text])

    def acks(self):
        return len([r for r in self.gen.received if r.frame.kind == "ack"])

    def assertStillRunning(self):
        self.assertTrue(self.run_.running(), "the program ended")
