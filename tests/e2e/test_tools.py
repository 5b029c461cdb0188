"""The test tools themselves under Wine: hostsim's record printing and sending (two
hostsims talk to each other), wintest's window and message-box handling."""

import unittest

import tools
from harness import E2ETestCase
from host import HostSim


class HostSimTest(E2ETestCase):
    def test_records_arrive_as_sent_including_malformed_ones(self):
        receiver = HostSim(self.prefix, "Relvan", target="nobody")
        self.addCleanup(receiver.close)
        sender = self.host()
        cases = [
            ("send KV70", 'RECV kind=742066 cb=5 hex=4B56373000'),
            ("cmd 2 ABCDEF", "RECV kind=742066 cb=2 hex=4142"),  # code shorter than the text
            ("console 3", "RECV kind=742067 cb=3 hex=000000"),
            ("list 80;1", "RECV kind=742072 cb=5 hex=38303B3100"),
            ("raw 742065 8 0100000037300000", 'RECV kind=742065 index=1 text="70"'),
            ("raw 742065 6 FFFFFFFF4142", 'RECV kind=742065 index=-1 text="AB"'),  # unterminated
            ("raw 114 4 41424344", 'RECV kind=114 text="ABCD"'),
            ("raw 112 3 41\\x22", None),  # bad hex: refused, nothing sent
            ("raw 77 0 null", "RECV kind=77 cb=0 hex=null"),
        ]
        for script, _ in cases:
            sender.send(script)
        expected = [line for _, line in cases if line is not None]
        got = [r.line for r in receiver.wait_records(len(expected), 10)]
        self.assertEqual(expected, got)
        self.assertIsNotNone(sender.wait_line(lambda line: line.startswith("ERROR data must be hex"), 5))

    def test_sending_without_a_target_reports_it(self):
        sender = HostSim(self.prefix, "Lonely Host", target="No Such Window")
        self.addCleanup(sender.close)
        sender.send("send ST")
        self.assertIsNotNone(sender.wait_line(lambda line: line.startswith("SEND-FAIL no window"), 10))


class WinTestTest(E2ETestCase):
    def test_find_close_and_gone(self):
        host = self.host("Window Under Test")
        self.assertTrue(tools.window_exists(self.prefix, "Window Under Test"))
        self.assertFalse(tools.window_exists(self.prefix, "Window Under"))  # exact titles only
        self.assertEqual(0, tools.wintest(self.prefix, "close", "Window Under Test")[0])
        self.assertEqual(0, tools.wintest(self.prefix, "gone", "Window Under Test", 5000)[0])
        self.assertEqual(0, host.process.wait(timeout=10))

    def test_missing_windows_and_boxes_time_out(self):
        self.assertEqual(1, tools.wintest(self.prefix, "wait", "Never There", 200)[0])
        self.assertIsNone(tools.dismiss_message_box(self.prefix, "Never There", 200))
        self.assertEqual(2, tools.wintest(self.prefix, "frobnicate", "x")[0])


if __name__ == "__main__":
    unittest.main()
