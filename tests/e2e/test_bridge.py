"""The bridge end to end: host records in through hostsim, generator frames through
gensim, per generator type; and malformed host records."""

import os
import time
import unittest

from harness import E2ETestCase, Faults, ini_for

import framing  # from tools/gensim, which harness puts on the path

HOST = "E2E Host"
TIMEOUT = 20


class BridgeTestCase(E2ETestCase):
    def start(self, gen_type, replies=(), prefix="A", faults=None, **keys):
        self.gen = self.generator(gen_type, self.serial(5), replies, prefix, faults)
        self.hostsim = self.host(HOST)
        self.run_ = self.relvan(ini_for(gen_type, 5, **keys), host_title=HOST)
        self.assertLogged(self.run_, "Connected generator port:5", timeout=TIMEOUT)

    def replies(self, count):
        return [(r.kind, r.index, r.text) for r in self.hostsim.wait_records(count, TIMEOUT)]


class Type11Test(BridgeTestCase):
    def test_reply_items_reach_the_host_by_index_and_PR_is_answered(self):
        self.start(11, ["ST=KV70 MA100 PR1", "R?=ST0"])
        self.assertEqual([(742065, 0, "70"), (742065, 1, "100")], self.replies(2))
        answer = self.gen.wait_for_command("PR1", TIMEOUT)
        self.assertIsNotNone(answer)
        self.assertEqual(bytes.fromhex("50523103D6"), answer.raw)
        self.assertIsNotNone(self.gen.wait_for_command("RS", 5), "the poll cycle did not go on")

    def test_PR_and_XR_in_one_reply_are_both_answered_in_order(self):
        self.start(11, ["ST=KV70 PR1 XR0", "R?=ST0"])
        self.assertIsNotNone(self.gen.wait_for_command("XR0", TIMEOUT), "XR0 was not answered")
        self.assertIsNotNone(self.gen.wait_for_command("RS", 5), "the poll cycle did not go on")
        commands = [r.frame.text for r in self.gen.commands()]
        answers = [text for text in commands if text in ("PR1", "XR0")]
        self.assertEqual(["PR1", "XR0"] * (len(answers) // 2), answers)
        self.assertEqual(commands.index("PR1") + 1, commands.index("XR0"))

    def test_host_command_goes_out_framed(self):
        self.start(11, faults=Faults(silent=True))
        self.hostsim.send("send KV81")
        frame = self.gen.wait_for_command("KV81", TIMEOUT)
        self.assertIsNotNone(frame)
        self.assertEqual(b"KV81\x03" + bytes([sum(b"KV81\x03") & 0xFF]), frame.raw)


class Type13Test(BridgeTestCase):
    def test_valid_reply_is_acknowledged_and_forwarded_bad_one_dropped(self):
        self.start(13, ["BD1A=BD1A00", "A1C1=A1C1OK"])
        self.assertEqual([(742065, 0, "BD1A00"), (742065, 0, "A1C1OK")], self.replies(2))
        self.assertIsNotNone(self.gen.wait_for(lambda f: f.kind == "ack", 5))

    def test_wrong_checksum_gets_no_acknowledgement(self):
        self.start(13, ["*=A1C1OK"], faults=Faults(bad_checksum=True))
        self.assertIsNotNone(self.gen.wait_for_command("BD1A", TIMEOUT))
        self.assertIsNone(self.gen.wait_for(lambda f: f.kind == "ack", 2))
        self.assertEqual([], self.hostsim.records())


    def test_host_suspends_polling_and_resumes_with_the_remembered_commands(self):
        self.start(13, ["*=OK"])
        self.hostsim.send("send A1D0070")
        self.assertIsNotNone(self.gen.wait_for_command("A1D0070", TIMEOUT))
        self.hostsim.send("cmd 1011")
        self.hostsim.wait_line(lambda line: "cb=1011" in line, 5)
        time.sleep(1)  # the cycle stops at its next step
        self.gen.clear()
        time.sleep(1)
        self.assertEqual([], self.gen.commands(), "polling went on while suspended")
        self.hostsim.send("cmd 1012")
        self.assertIsNotNone(self.gen.wait_for_command("A1D0070", 5))
        self.assertIsNotNone(self.gen.wait_for_command("A1C1", 5))


class Type17Test(BridgeTestCase):
    def test_console_reply_is_acknowledged_and_forwarded(self):
        self.start(17, ["KV?=KV70"])
        self.hostsim.send("send KV1")
        self.assertEqual([(742065, 0, "KV70")], self.replies(1))
        self.assertIsNotNone(self.gen.wait_for(lambda f: f.kind == "ack", 5))

    def test_miniconsole_R_repeats_until_answered_and_V_is_echoed(self):
        self.start(17, ["V*=V3"], prefix="C", faults=Faults(silent=True), UseMiniConsole=1)
        self.assertIsNotNone(self.gen.wait_for_command("R", TIMEOUT))
        self.gen.faults.silent = False
        self.gen.send_reply("V3")
        self.assertIsNotNone(self.gen.wait_for(lambda f: f.kind == "ack", 5))
        self.assertIsNotNone(self.gen.wait_for_command("V3", 5))
        frames = [item.frame for item in list(self.gen.received)]
        ack = next(i for i, f in enumerate(frames) if f.kind == "ack")
        echo = next(i for i, f in enumerate(frames) if f.kind == "command" and f.text == "V3")
        self.assertLess(ack, echo, "the echo went out before the ACK of the reply it answers")

    def test_nak_makes_the_last_command_go_again(self):
        self.start(17, faults=Faults(nak=True))
        self.hostsim.send("send KV1")
        self.assertIsNotNone(
            self.gen.wait_for(lambda f: len([r for r in self.gen.commands() if r.frame.text == "KV1"]) >= 2, TIMEOUT)
        )

    def test_parameter_list_goes_out_one_command_per_reply(self):
        self.start(17, ["D*=OK"])
        self.hostsim.send("list 80;1;5;123;456;789;1234;99")
        expected = ["DM80", "DGg", "DP5", "DA123", "DE456", "DB789", "DC1234"]
        self.assertIsNotNone(self.gen.wait_for_command("DC1234", TIMEOUT))
        time.sleep(0.5)  # DF is left out for 99
        self.assertEqual(expected, [r.frame.text for r in self.gen.commands()])

    def test_error_line_reaches_the_host_as_DZ(self):
        self.start(17, faults=Faults(silent=True))
        self.gen.send_reply("raw:Error 12\\r\\n")
        self.assertEqual([(742065, 0, "DZ 12")], self.replies(1))

    def test_error_and_line_ended_replies_split_across_reads_reach_the_host_whole(self):
        self.start(17, faults=Faults(silent=True))
        pieces = [b"E", b"rror 12\r\n", b"Error 1", b"2\r\n", b"AKV70\r", b"\n", framing.frame17(b"MA100")]
        for piece in pieces:
            self.gen.send_raw(piece)
            time.sleep(0.2)  # each piece is read on its own
        expected = [(742065, 0, text) for text in ("DZ 12", "DZ 12", "KV70", "MA100")]
        self.assertEqual(expected, self.replies(4))
        acks = lambda _: len([r for r in self.gen.received if r.frame.kind == "ack"]) >= 4
        self.assertIsNotNone(self.gen.wait_for(acks, TIMEOUT), "not every reply was acknowledged")

    def test_frame_with_checksum_zero_ends_at_once_alone_and_before_a_line(self):
        self.start(17, faults=Faults(silent=True))
        zero_sum = framing.frame17(b"B")
        self.assertEqual(0, zero_sum[-1])
        self.gen.send_raw(zero_sum)
        self.assertEqual([(742065, 0, "B")], self.replies(1))
        acks = lambda n: lambda _: len([r for r in self.gen.received if r.frame.kind == "ack"]) >= n
        self.assertIsNotNone(self.gen.wait_for(acks(1), TIMEOUT), "the frame alone was not acknowledged")
        self.gen.send_raw(zero_sum + b"Error 12\r\n")
        self.assertEqual([(742065, 0, text) for text in ("B", "B", "DZ 12")], self.replies(3))
        self.assertIsNotNone(self.gen.wait_for(acks(3), TIMEOUT))


class UnwritableLogTest(BridgeTestCase):
    def test_a_log_folder_that_cannot_be_written_stops_nothing(self):
        # A file named "log" stands where the log folder belongs: no entry can be written.
        folder = os.path.join(self.dir, "relvan")
        os.makedirs(folder, exist_ok=True)
        open(os.path.join(folder, "log"), "wb").close()
        self.gen = self.generator(11, self.serial(5), ["ST=KV70 MA100", "R?=ST0"])
        self.hostsim = self.host(HOST)
        run = self.relvan(ini_for(11, 5), host_title=HOST)
        self.assertEqual([(742065, 0, "70"), (742065, 1, "100")], self.replies(2))
        self.hostsim.send("send KV81")
        self.assertIsNotNone(self.gen.wait_for_command("KV81", TIMEOUT))
        self.assertTrue(run.running())
        self.assertTrue(os.path.isfile(os.path.join(folder, "log")))


class MalformedHostRecordTest(BridgeTestCase):
    def test_program_survives_and_still_works(self):
        self.start(11, faults=Faults(silent=True))
        for script in [
            "raw 742066 0 null",  # null data
            "raw 742066 3 4B5637",  # unterminated text
            "cmd 900 KV1",  # code larger than the text
            "raw 742067 5 null",
            "raw 742072 2 3830",  # unterminated list
            "raw 4242 4 01020304",  # unknown kind
        ]:
            self.hostsim.send(script)
        self.hostsim.send("send KV99")
        self.assertIsNotNone(self.gen.wait_for_command("KV99", TIMEOUT))
        self.assertTrue(self.run_.running())


if __name__ == "__main__":
    unittest.main()
