"""Line settings left on the port by its last user: the program sets its line itself.

A port whose last user switched XON/XOFF on would take a checksum byte 0x13 (XOFF)
for flow control: it would vanish from the reply, and the program's output would stop
until an XON came. Here the last user is this test, which switches XON/XOFF on at the
program's end of the pty before the program opens it.

Framing errors, the other inheritance (abort-on-error), cannot be made on a pty: it
has no UART, and Wine keeps no abort-on-error setting for it. The unit tests show
that a read aborted by a line error is cleared and reading goes on."""

import os
import termios
import unittest

from faultcase import TIMEOUT, FaultTestCase, frame

XOFF = 0x13


def leave_xon_xoff_on(device):
    """What a previous user of the port might have left: XON/XOFF both ways."""
    fd = os.open(device, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        attrs = termios.tcgetattr(fd)
        attrs[0] |= termios.IXON | termios.IXOFF
        termios.tcsetattr(fd, termios.TCSANOW, attrs)
    finally:
        os.close(fd)


class InheritedXonXoffTest(FaultTestCase):
    def test_type17_reply_with_checksum_xoff_and_the_sends_after_it(self):
        self.assertEqual(XOFF, frame(17, "Q")[-1])
        self.start(17, ["KV1=Q", "KV2=KV2OK"], prepare_line=leave_xon_xoff_on)
        self.hostsim.send("send KV1")
        self.assertEqual(["Q"], self.wait_host_texts(1))
        self.assertIsNotNone(self.gen.wait_for(lambda f: f.kind == "ack", TIMEOUT), "no ACK after XOFF")
        self.hostsim.send("send KV2")
        self.assertEqual(["Q", "KV2OK"], self.wait_host_texts(2), "output stopped after XOFF")

    def test_type11_reply_with_checksum_xoff_and_the_polls_after_it(self):
        self.assertEqual(XOFF, frame(11, "KVo")[-1])
        self.start(11, ["ST=KVo", "*=MA1"], prepare_line=leave_xon_xoff_on)
        self.assertEqual(["o"], self.wait_host_texts(1))
        self.assertIsNotNone(self.gen.wait_for_command("RR", TIMEOUT), "polling stopped after XOFF")
        self.assertIn("1", self.wait_host_texts(3))


if __name__ == "__main__":
    unittest.main()
