"""The serial device goes away under a running program (the pty pair is closed, as when
an adapter is unplugged): the program lives on, idles, tells the operator once (in a box
that does not hold the port up), logs the loss and nothing more while the device is away.
When a device comes back under the same COM name, the program opens it again by itself
and the conversation starts again as at start-up; it still closes on WM_CLOSE."""

import time
import unittest

import tools
from faultcase import TIMEOUT, FaultTestCase
from harness import ERROR_BOX, Faults, cpu_ticks

CPU_WINDOW = 5  # seconds over which CPU time is compared
# Clock ticks of 10 ms over CPU_WINDOW on top of the idle figure: Wine's own polling
# may cost a few percent more; a spinning thread costs hundreds.
CPU_MARGIN = 40


class DeviceLossTest(FaultTestCase):
    def cpu_over_window(self):
        before = cpu_ticks(self.run_.pid)
        time.sleep(CPU_WINDOW)
        return cpu_ticks(self.run_.pid) - before

    def test_type11_control_desk_port(self):
        self.lose_port_under(11, ["*=KV70"], "RS")  # polls every 200 ms, answered

    def test_type13_control_desk_port(self):
        self.lose_port_under(13, ["*=OK"], "A1CB")

    def test_type17_link_port(self):
        # Sends R every 500 ms once unanswered; R is also the first frame after a reopen.
        self.lose_port_under(17, [], "R", UseMiniConsole=1)

    def lose_port_under(self, gen_type, replies, polled, **keys):
        """`polled`: a command the generator gets only once the protocol runs."""
        self.start(gen_type, replies, **keys)
        self.assertTrue(self.until(lambda: self.command_count(polled) > 0), "no %s before the loss" % polled)
        time.sleep(2)  # past the start-up frames
        idle = self.cpu_over_window()

        self.pair.close()
        self.prefix.unmap_com_port(5)  # the device is gone: its pty may soon serve another line
        # A pty whose peer is gone does not end a pending comm-event wait under Wine:
        # the loss shows when the program next writes, so the host goes on sending.
        # The box is shown aside, so the loss may be logged while it is still open.
        boxes = self.send_until_lost() + self.dismiss_error_boxes()
        self.assertLessEqual(boxes, 1, "error box after error box")
        self.assertEqual(1, len([line for line in self.run_.log_lines() if "Lost generator port:5" in line]))

        lost = self.cpu_over_window()  # also a reopen try or two
        self.assertLessEqual(lost, idle + CPU_MARGIN, "busy after the loss (idle: %d ticks)" % idle)
        self.assertTrue(tools.window_exists(self.prefix, "Relvan"))
        self.assertStillRunning()
        lines = self.run_.log_lines()
        after_loss = lines[[i for i, line in enumerate(lines) if "Lost generator port:5" in line][0] + 1 :]
        self.assertEqual([], after_loss, "the log is not quiet while the device is away")

        self.gen.stop()
        self.pair = self.serial(5)  # a new device under the same name
        self.gen = self.generator(gen_type, self.pair, replies)
        self.assertLogged(self.run_, "Reopened generator port:5", timeout=TIMEOUT)
        self.assertTrue(self.until(lambda: self.command_count(polled) > 0), "%s did not come again" % polled)
        self.hostsim.send("send KV81")
        self.assertIsNotNone(self.gen.wait_for_command("KV81", TIMEOUT), "a host command did not go out")
        self.assertTrue(self.run_.close_window())
        self.assertIsNotNone(self.run_.wait_exit(15), "WM_CLOSE did not end the program")

    def send_until_lost(self):
        """Host commands until the log tells of the loss; the number of error boxes seen."""
        boxes = 0
        deadline = time.monotonic() + 2 * TIMEOUT
        while not self.run_.wait_log("Lost generator port:5", 0.5):
            if time.monotonic() > deadline:
                self.fail("the loss was never logged:\n%s" % "\n".join(self.run_.log_lines()[-20:]))
            self.hostsim.send("send KV81")
            boxes += self.dismiss_error_boxes(limit=1, timeout_ms=500)
        return boxes

    def dismiss_error_boxes(self, limit=3, timeout_ms=3000):
        """Presses away the error boxes that come within a few seconds, like an operator."""
        count = 0
        while count < limit and tools.dismiss_message_box(self.prefix, ERROR_BOX, timeout_ms) is not None:
            count += 1
        return count

if __name__ == "__main__":
    unittest.main()
