"""The console's link overloaded, end to end through our link component into the real
relvan.exe under Wine. A storm: a thousand LINK "55" a second for STORM_SECONDS; the
program's memory stays where it was, the check is answered once the storm is over
(the answer comes 100 ms after the last check, so a storm gets one), the link is not
given up, and the host's parameter report (111, kind 112) still comes. A line that is
never read: no hang."""

import os
import select
import time
import unittest

from processes import resident_kb
from test_faults_console_link import LINK_ANSWER, LOST, REPORT_TIMEOUT, START_REPORT, ConsoleLinkFaultTestCase

import linkline  # from tools/gensim, which harness puts on the path

STORM_SECONDS = 5
STORM_PER_SECOND = 1000
MAX_GROWTH_KB = 4096
# R101 makes the console echo its value at once (method 4): 4000 characters a time
# soon fill a line that is never read.
ECHO_VALUE = "5" * 4000
ECHO_EVENTS = 10
REPORT_SECONDS = 10  # the echoes held the panel some 40 s when the calls wrote themselves


class LinkStormTest(ConsoleLinkFaultTestCase):
    def test_a_storm_of_link_checks(self):
        host = self.host()
        run, gen = self.console(model=2, host_title=host.title)
        self.charged(gen)
        self.storm(gen, 1.0)  # warm-up: what the first storm allocates for good
        before = resident_kb(run.pid)
        self.storm(gen, STORM_SECONDS)
        gen.clear()
        self.call(gen, LINK_ANSWER.id, LINK_ANSWER.args, timeout=30)
        growth = resident_kb(run.pid) - before
        self.assertLessEqual(growth, MAX_GROWTH_KB, "grew by %d kB" % growth)
        gen.clear()
        gen.send("LINK")
        self.assertAfter(self.call(gen, LINK_ANSWER.id, LINK_ANSWER.args), self.sent(gen, "LINK"), 0.1, slack=1.0)
        self.assertEqual(host.console_report(REPORT_TIMEOUT), START_REPORT)
        self.assertFalse([line for line in run.log_lines() if LOST in line])

    def storm(self, gen, seconds):
        line = linkline.join_line(["EVENT", "6", "LINK", "55"])
        batch = STORM_PER_SECOND // 20
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            with gen.changed:  # not in the middle of one of the simulator's own lines
                gen.line.write(line * batch)
            time.sleep(0.05)

    def test_a_line_that_is_never_read(self):
        """After the charge the simulator stops reading (its end of the pty stays open)
        and ECHO_EVENTS R101 reports make the console write long echoes into the
        stuck line. The link component's writer waits out each write's time-out (a
        second plus a millisecond a byte) on a thread of its own, so the panel is not
        held: the host's report comes at once, and WM_CLOSE ends the program."""
        host = self.host()
        run, gen = self.console(model=2, host_title=host.title)
        self.charged(gen)
        gen.stop()
        event = linkline.join_line(["EVENT", "6", "R101", ECHO_VALUE])
        for _ in range(ECHO_EVENTS):
            if not offer(gen.line.fd, event, 10):
                break  # backed up both ways: the pty pair takes nothing more
            time.sleep(0.05)
        self.assertEqual(host.console_report(REPORT_SECONDS), START_REPORT)
        self.assertTrue(run.running())
        self.assertTrue(run.close_window())
        self.assertEqual(run.wait_exit(30), 0, "WM_CLOSE did not end the program")


def offer(fd, data, seconds):
    """Writes `data` to a non-blocking descriptor unless it takes none of it for
    `seconds`; True when all of it went."""
    view = memoryview(data)
    deadline = time.monotonic() + seconds
    while view:
        left = deadline - time.monotonic()
        if left <= 0:
            return False
        select.select([], [fd], [], left)
        try:
            view = view[os.write(fd, view) :]
            deadline = time.monotonic() + seconds
        except BlockingIOError:
            time.sleep(0.01)
    return True


if __name__ == "__main__":
    unittest.main()
