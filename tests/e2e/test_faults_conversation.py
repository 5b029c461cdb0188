"""Faults in the conversation itself: a generator that falls silent and comes back, a
host that closes and reappears, and replies that cross the program's own frames."""

import time
import unittest

from faultcase import HOST, TIMEOUT, FaultTestCase, frame
from harness import Faults

TYPE11_CYCLE = ["ST", "RS", "RR"]


class SilentGeneratorTest(FaultTestCase):
    def texts_since(self, start):
        return [r.frame.text for r in self.gen.commands()[start:]]

    def test_type11_polls_on_every_200ms_while_silent_and_replies_flow_again(self):
        self.start(11, ["ST=KV70", "RS=MA100", "RR=MS5"])
        self.assertIsNotNone(self.gen.wait_for_command("RR", TIMEOUT), "the poll cycle did not start")
        self.gen.faults.silent = True
        time.sleep(0.5)  # a reply under way ends
        start, began = self.command_count(), time.monotonic()
        time.sleep(2)
        polls = self.texts_since(start)
        elapsed = time.monotonic() - began
        self.assertGreaterEqual(len(polls), 4, "polling stopped while the generator was silent")
        self.assertLessEqual(len(polls), elapsed / 0.18 + 2, "polled faster than every 200 ms")
        for before, after in zip(polls, polls[1:]):
            self.assertEqual(TYPE11_CYCLE[(TYPE11_CYCLE.index(before) + 1) % 3], after, polls)

        heard = len(self.hostsim.records())
        self.gen.faults.silent = False
        self.assertGreater(len(self.hostsim.wait_records(heard + 3, TIMEOUT)), heard + 2)
        self.assertStillRunning()

    def test_type11_polls_again_after_a_stray_byte(self):
        self.start(11, ["ST=KV70", "RS=MA100", "RR=MS5"])
        self.assertIsNotNone(self.gen.wait_for_command("RR", TIMEOUT), "the poll cycle did not start")
        self.gen.faults.silent = True
        time.sleep(0.5)  # a reply under way ends
        self.gen.send_raw(b"\x4b")  # the start of a reply that never ends
        self.assertLogged(self.run_, "Incomplete reply dropped: K", timeout=TIMEOUT)
        start = self.command_count()
        self.assertTrue(self.until(lambda: self.command_count() >= start + 3), "polling did not go on")

        heard = len(self.hostsim.records())
        self.gen.faults.silent = False
        self.assertGreater(len(self.hostsim.wait_records(heard + 3, TIMEOUT)), heard + 2)

    def test_type13_polls_again_after_missed_polls_without_the_host(self):
        self.start(13, ["*=OK"])
        self.assertIsNotNone(self.gen.wait_for_command("A1CD", TIMEOUT), "the poll cycle did not run")
        self.gen.faults.silent = True
        time.sleep(1.5)  # the request that went out as the generator fell silent
        last = self.command_count()
        time.sleep(6)  # one 5 s link time-out: one more request, not a stream of them
        self.assertEqual(1, self.command_count() - last, "not polled once per link time-out")

        heard = len(self.hostsim.records())
        self.gen.faults.silent = False
        self.assertEqual(["OK", "OK"], self.wait_host_texts(heard + 2)[heard:], "polling did not go on")
        resumed = self.command_count()
        self.hostsim.send("cmd 1005")  # a host resume still starts the cycle afresh
        self.assertTrue(self.until(lambda: "A1CB" in self.texts_since(resumed)), "the cycle stopped")
        self.assertIn("A1C1", self.texts_since(resumed))

    def test_type17_miniconsole_sends_R_every_500ms_until_answered(self):
        self.start(17, ["R=ST1"], prefix="C", UseMiniConsole=1)
        self.assertEqual(["ST1"], self.wait_host_texts(1), "the start-up R was not answered")
        self.gen.faults.silent = True
        self.hostsim.send("send TA28")  # asks the link to prove itself
        self.assertIsNotNone(self.gen.wait_for_command("TA28", TIMEOUT))
        start, began = self.command_count(), time.monotonic()
        time.sleep(3)
        calls = self.texts_since(start)
        elapsed = time.monotonic() - began
        self.assertEqual(["R"] * len(calls), calls)
        self.assertGreaterEqual(len(calls), 3, "R is not repeated while nobody answers")
        self.assertLessEqual(len(calls), elapsed / 0.45 + 2, "R repeated faster than every 500 ms")

        self.gen.faults.silent = False
        self.assertEqual(["ST1", "ST1"], self.wait_host_texts(2))
        time.sleep(0.3)  # an R sent as the answer came
        answered = self.command_count()
        time.sleep(1.5)
        self.assertEqual(answered, self.command_count(), "R went on after the generator answered")


class HostRestartTest(FaultTestCase):
    def test_replies_reach_a_new_host_with_the_same_title(self):
        self.start(13, ["*=OK"])
        self.assertEqual(["OK"], self.wait_host_texts(1))
        self.hostsim.close()
        polls = self.command_count()
        self.assertTrue(self.until(lambda: self.command_count() >= polls + 2), "polling stopped")
        self.assertStillRunning()

        new_host = self.host(HOST)
        self.assertEqual(["OK", "OK"], [r.text for r in new_host.wait_records(2, TIMEOUT)])


class CrossingRepliesTest(FaultTestCase):
    ROUNDS = 12

    def test_type13_reply_arriving_during_the_ack_of_another_reaches_the_host(self):
        self.start(13, faults=Faults(silent=True))
        self.assertIsNotNone(self.gen.wait_for_command("BD1A", TIMEOUT))
        expected = []
        for round_ in range(self.ROUNDS):
            pair = ["P%02dA" % round_, "P%02dB" % round_]
            self.gen.send_raw(frame(13, pair[0]))
            time.sleep(round_ * 0.002)  # the second reply meets the ACK at a different point each round
            self.gen.send_raw(frame(13, pair[1]))
            expected += pair
            self.hostsim.wait_records(len(expected), TIMEOUT)
        self.assertEqual(expected, self.host_texts())

    def test_type11_reply_arriving_right_behind_a_host_command_reaches_the_host(self):
        self.start(11, faults=Faults(silent=True))
        self.assertIsNotNone(self.gen.wait_for_command("ST", TIMEOUT))
        for round_ in range(self.ROUNDS):
            self.hostsim.send("send KV%d" % (80 + round_))
            time.sleep(round_ * 0.003)  # the reply meets the command's frame at a different point
            self.gen.send_raw(frame(11, "MA%d" % (100 + round_)))
            self.assertIsNotNone(self.gen.wait_for_command("KV%d" % (80 + round_), TIMEOUT))
            self.hostsim.wait_records(round_ + 1, TIMEOUT)
        expected = [(1, str(100 + n)) for n in range(self.ROUNDS)]
        self.assertEqual(expected, [(r.index, r.text) for r in self.hostsim.records()])


if __name__ == "__main__":
    unittest.main()
