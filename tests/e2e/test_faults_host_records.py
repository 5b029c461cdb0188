"""Malformed host records in a loop, with correct generator commands in between: every
correct command reaches the generator, in order, and the program still works after."""

import time
import unittest

import tools
from faultcase import TIMEOUT, FaultTestCase, frame
from harness import Faults

LOOP_SECONDS = 30  # per generator type; a minute in all

# Every shape of bad record a host could send (tools/hostsim: raw <kind> <cbData> <hex|null>).
MALFORMED = [
    "raw 742066 0 null",  # null data, cbData 0
    "raw 742066 64 null",  # null data, cbData non-zero
    "raw 742066 3 584331",  # text XC1 without its terminator
    "raw 742066 900 584100",  # cbData larger than the text XA
    "raw 742066 3 58424344454600",  # cbData smaller than the text: XBC of XBCDEF
    "raw 742066 100000 584400",  # a huge cbData with a real block: XD
    "raw 742067 0 null",
    "raw 742067 5 null",
    "raw 742067 2 3132",
    "raw 742072 0 null",  # parameter lists: no data, unterminated, items missing, garbage
    "raw 742072 3 383B31",
    "raw 742072 100000 null",
    "list ;;",
    "list 80",
    "list 99999999999999999999;-5;x;\x7f\x01;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;",
    "raw 742072 6 FF3BFE3BFD3B",
    "raw 4242 4 01020304",  # unknown kinds
    "raw 0 0 null",
    "raw 4294967295 8 FFFFFFFFFFFFFFFF",
]

# What the bad records may send on; the rest of the generator's commands are the correct
# ones and, per type, the polls or the parameter-list steps.
CUT_TEXTS = {"", "XC1", "XA", "XBC"}


class MalformedHostRecordLoopTest(FaultTestCase):
    def test_type11(self):
        self.start(11, ["KV999=EC9", "*=MA100"])
        sent = self.loop_with_malformed_records()
        self.assertCommandsAre(sent, CUT_TEXTS | {"XD", "ST", "RS", "RR"})
        self.hostsim.send("send KV999")
        self.assertTrue(self.until(lambda: (6, "9") in [(r.index, r.text) for r in self.hostsim.records()]))
        polls = self.command_count("ST")
        self.assertTrue(self.until(lambda: self.command_count("ST") > polls), "the poll cycle stopped")

    def test_type17(self):
        self.start(17, ["KV999=DONE", "*=OK"])
        sent = self.loop_with_malformed_records()
        self.assertCommandsAre(sent, CUT_TEXTS, extra=lambda text: text.startswith("D"))
        self.hostsim.send("send KV999")
        self.assertTrue(self.until(lambda: "DONE" in self.host_texts()))

    def loop_with_malformed_records(self):
        """Bad records and one correct command per round; the correct commands sent."""
        sent = []
        end = time.monotonic() + LOOP_SECONDS
        while time.monotonic() < end:
            for script in MALFORMED:
                self.hostsim.send(script)
            sent.append("KV%d" % len(sent))
            self.hostsim.send("send " + sent[-1])
            # The next round waits until this command is out, so the rounds keep pace with the line.
            self.assertIsNotNone(self.gen.wait_for_command(sent[-1], TIMEOUT), "lost: %s" % sent[-1])
        self.assertStillRunning()
        return sent

    def assertCommandsAre(self, sent, allowed, extra=lambda text: False):
        commands = [r.frame for r in self.gen.commands()]
        self.assertEqual([], [f.raw for f in commands if not f.checksum_ok], "damaged frames")
        correct = [f.text for f in commands if f.text.startswith("KV")]
        self.assertEqual(sent, correct)
        others = {f.text for f in commands if not f.text.startswith("KV")}
        self.assertEqual(set(), {text for text in others if text not in allowed and not extra(text)})



class ForeignMessageTest(FaultTestCase):
    # WM_USER+213, which the console panel posts to the main window with a text.
    STATUS_TEXT = 0x4D5

    def test_status_text_posts_from_another_process_leave_the_program_working(self):
        self.start(11, ["ST=KV70", "*=MA1"])
        self.assertEqual(["70"], self.wait_host_texts(1))
        for wparam in ("0xDEADBEEF", "1", "0", "0x10000"):
            code, _ = tools.wintest(self.prefix, "post", "Relvan", self.STATUS_TEXT, wparam, 0)
            self.assertEqual(0, code, "wintest could not post")
        time.sleep(1)  # the posts are handled
        self.assertStillRunning()
        heard = len(self.hostsim.records())
        self.hostsim.send("send KV81")
        self.assertIsNotNone(self.gen.wait_for_command("KV81", TIMEOUT))
        self.assertGreater(len(self.hostsim.wait_records(heard + 2, TIMEOUT)), heard + 1)
        self.assertStillRunning()

    # The port threads' receive messages: WM_USER+17 (bytes of the type 11 and 13
    # port) and WM_USER+1 (a block of the type 17 port).
    PORT_CHAR, LINK_DATA = 0x411, 0x401

    def post(self, message, wparam, lparam):
        code, _ = tools.wintest(self.prefix, "post", "Relvan", message, wparam, lparam)
        self.assertEqual(0, code, "wintest could not post")

    def test_posted_reply_bytes_reach_no_parser(self):
        self.start(11, faults=Faults(silent=True))
        # All in one go: a reply whose bytes stop coming is dropped after a second.
        self.post(self.PORT_CHAR, ",".join(str(byte) for byte in frame(11, "KV99")), 5)
        self.hostsim.send("send KV81")
        self.assertIsNotNone(self.gen.wait_for_command("KV81", TIMEOUT))
        time.sleep(1)  # the posts are handled
        self.assertEqual([], self.host_texts())
        self.assertStillRunning()

    def test_posted_link_data_does_not_handle_the_last_block_again(self):
        self.start(17, ["KV?=KV70"])
        self.hostsim.send("send KV1")
        self.assertEqual(["KV70"], self.wait_host_texts(1))
        self.assertTrue(self.until(lambda: self.acks() == 1))
        self.post(self.LINK_DATA, "0,1,2,3,0xDEADBEEF", len(frame(17, "KV70")))
        time.sleep(1)  # the posts are handled
        self.assertEqual(["KV70"], self.host_texts())
        self.assertEqual(1, self.acks())
        self.assertStillRunning()

if __name__ == "__main__":
    unittest.main()
