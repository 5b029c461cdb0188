"""gensim type 15: the link component's line codec, the simulator's script, and its
conversation with a program over a pty for both console models (no relvan.exe)."""

import os
import select
import subprocess
import sys
import tempfile
import time
import unittest

GENSIM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "gensim")
sys.path.insert(0, GENSIM)

import linkline  # noqa: E402
import type15script  # noqa: E402
from linkline import Call  # noqa: E402
from portfile import PortFile  # noqa: E402


class LinkLineTest(unittest.TestCase):
    def test_lines_and_fields(self):
        self.assertEqual(b"CALL\t43\t28\t410\t50\n", linkline.join_line(["CALL", "43", "28", "410", "50"]))
        awkward = ["EVENT", "6", "a\tb", "c\\d", "x\r\ny", ""]
        line = linkline.join_line(awkward)
        self.assertEqual(b"EVENT\t6\ta\\tb\tc\\\\d\tx\\r\\ny\t\n", line)
        self.assertEqual(awkward, linkline.split_line(line[:-1]))
        # A backslash before anything else, or at the end, stands for itself.
        self.assertEqual("\\q\\", linkline.unescape("\\q\\"))
        self.assertEqual('CALL 4 "" "a b"', Call(4, ("", "a b")).text())

    def test_only_call_lines_with_a_decimal_id_are_calls(self):
        cases = [
            (["CALL", "4", ""], Call(4, ("",))),
            (["CALL", "4"], Call(4, ())),
            (["CALL", "057", "01", "00"], Call(57, ("01", "00"))),
            (["CALL", "x"], None),
            (["CALL", "-1"], None),
            (["CALL", "1234567890"], None),
            (["CALL", "\u0663"], None),
            (["EVENT", "4"], None),
            (["CALL"], None),
        ]
        for fields, expected in cases:
            with self.subTest(fields=fields):
                self.assertEqual(expected, Call.parse(fields))

    def test_reader_cuts_lines_however_they_arrive(self):
        reader = linkline.LineReader()
        self.assertEqual([], reader.feed(b"CALL\t1"))
        self.assertEqual([b"CALL\t1", b"CALL\t2\rx", b""], reader.feed(b"\r\nCALL\t2\rx\n\n"))
        overlong = b"A" * (linkline.MAX_LINE + 10)
        self.assertEqual([b"CALL\t3"], reader.feed(overlong + b"\nCALL\t3\n"))
        self.assertEqual(1, reader.dropped)
        reader.feed(overlong * 3)
        self.assertLessEqual(len(reader.buf), linkline.MAX_LINE)


class ScriptTest(unittest.TestCase):
    def test_actions_and_their_times(self):
        cases = [
            ("2.5=silence", ("silence", (), 2.5, None, 0.0)),
            ("RS06+0.2=check:65", ("check", ("65",), None, "RS06", 0.2)),
            ("CALL25=error:0A", ("error", ("0A",), None, "CALL25", 0.0)),
            ("0=hs:2f", ("hs", ("2F",), 0.0, None, 0.0)),
            ("1=event:6,XX,", ("event", ("6", "XX", ""), 1.0, None, 0.0)),
            ("R101+1=send:RS04", ("send", ("RS04",), None, "R101", 1.0)),
        ]
        for rule, expected in cases:
            with self.subTest(rule=rule):
                s = type15script.parse_at(rule)
                self.assertEqual(expected, (s.name, s.args, s.at, s.anchor, s.offset))
        for rule in ["silence", "x=silence", "RS99=silence", "1=hs:3", "1=send:XX", "1=event:a", "1=error", "1=nap"]:
            with self.subTest(rule=rule):
                self.assertRaises(ValueError, type15script.parse_at, rule)
        self.assertEqual(("R201", ("12", "03")), type15script.parse_value("R201=12,03"))
        self.assertEqual(("RS07", 1500), type15script.parse_delay("RS07=1500"))
        for bad in ["R101", "XX=1"]:
            self.assertRaises(ValueError, type15script.parse_value, bad)
        for bad in ["RS07=-1", "RS07", "XX=5"]:
            self.assertRaises(ValueError, type15script.parse_delay, bad)


class Conversation:
    """gensim --type 15 on the far end of a pty; this side plays the program."""

    def __init__(self, test, *options):
        self.master, self.slave = os.openpty()
        test.addCleanup(os.close, self.master)
        test.addCleanup(os.close, self.slave)
        command = [sys.executable, os.path.join(GENSIM, "gensim.py"), "--type", "15"]
        command += ["--port", os.ttyname(self.slave), "--duration", "20"] + list(options)
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        test.addCleanup(self.printed)
        # Until it has set up the pty, what is written to it may be flushed.
        test.assertIn("generator ready", self.process.stdout.readline())
        self.reader = linkline.LineReader()
        self.events = []
        self.output = None

    def call(self, call_id, *args):
        os.write(self.master, linkline.join_line(["CALL", str(call_id)] + list(args)))

    def expect(self, *fields, timeout=3):
        """Reads events until one with these fields; None if none comes in time."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for line in self._read(deadline - time.monotonic()):
                event = linkline.split_line(line)
                self.events.append(event)
                if event == ["EVENT"] + list(fields):
                    return event
        return None

    def _read(self, timeout):
        ready, _, _ = select.select([self.master], [], [], max(timeout, 0))
        return self.reader.feed(os.read(self.master, 4096)) if ready else []

    def printed(self):
        """Everything gensim printed after it was ready (it is stopped first)."""
        if self.output is None:
            self.process.terminate()
            self.output = self.process.communicate(timeout=5)[0]
        return self.output


class ConversationTest(unittest.TestCase):
    def test_model2_power_on_charge_ready_and_exposure(self):
        model2 = ["--model", "2", "--link-every", "0.3", "--hs-every", "0.3", "--value", "R101=3C"]
        talk = Conversation(self, *model2, "--exposure-ms", "200", "--at", "RS04+0.1=hs:20")
        talk.call(1)
        self.assertTrue(talk.expect("6", "PS", "01"))
        talk.call(56, "01")
        for _ in range(3):
            self.assertIsNone(talk.expect("6", "R101", "3C", timeout=0.3), "R101 only after the third method 3")
            talk.call(3)
        self.assertTrue(talk.expect("6", "R101", "3C"))
        self.assertTrue(talk.expect("6", "LINK", "55"))
        talk.call(58, "55")
        talk.call(4, "3C")
        for method in (23, 8, 9, 22):
            talk.call(method)
        self.assertTrue(talk.expect("9", "RS04"))
        self.assertTrue(talk.expect("6", "HS", "20"), "the scripted hand switch")
        talk.call(57, "01", "00")
        self.assertTrue(talk.expect("9", "RS05"))
        talk.call(57, "01", "01")
        talk.call(25)
        exposure = [["9", "RS06"], ["9", "RS07"], ["6", "R102", "50"], ["6", "R103", "64"], ["5", "R201", "05", "01"]]
        for event in exposure:
            self.assertTrue(talk.expect(*event), event)
        # A cancelled exposure gets no X-ray end.
        talk.call(57, "01", "01")
        talk.call(25)
        talk.call(57, "00", "00")
        self.assertIsNone(talk.expect("9", "RS07", timeout=0.6))
        printed = talk.printed()
        for text in ["<- CALL 57 01 00", "-> EVENT 9 RS05", "-> EVENT 6 HS 30", "script hs:20"]:
            self.assertIn(text, printed)

    def test_model1_power_on_charge_and_the_port_lines(self):
        space = os.path.join(tempfile.mkdtemp(), "io.bin")
        port = PortFile(space)
        talk = Conversation(self, "--model", "1", "--portsim", space, "--exposure-ms", "100", "--at", "0.2=hs:00")
        deadline = time.monotonic() + 5
        while port.read(0x379) != 0xCF and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(0xCF, port.read(0x379), "hand switch at exposure, the other status bits kept")
        self.assertEqual(0x10000, os.path.getsize(space))
        for value in (0xFF, 0xFB, 0xF7):
            port.write(0x378, value)
            time.sleep(0.05)
        talk.call(1)
        self.assertTrue(talk.expect("6", "R101", "01"))
        for method in (23, 8, 9, 22):
            talk.call(method)
        self.assertTrue(talk.expect("9", "RS04"))
        port.write(0x378, 0xFD)
        self.assertTrue(talk.expect("9", "RS05"))
        talk.call(25)
        self.assertIsNone(talk.expect("9", "RS06", timeout=0.4), "no X-ray before the exposure line")
        port.write(0x378, 0xFC)
        self.assertTrue(talk.expect("9", "RS06"))
        self.assertTrue(talk.expect("9", "RS07"))
        self.assertNotIn(["6", "HS", "30"], talk.events, "Model 1 reads the hand switch on the port")
        printed = talk.printed()
        for text in ["port 0378 = FD", "port 0378 = FC", "port 0379 := CF", "<- CALL 25"]:
            self.assertIn(text, printed)


if __name__ == "__main__":
    unittest.main()
