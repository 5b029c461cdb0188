"""Storms from the generator: NAKs, noise bursts of random bytes, replies split at every
byte boundary and replies with wrong checksums, for as long as STORM_SECONDS. The valid
replies still reach the host, in order, and the program's memory stays where it was."""

import random
import time
import unittest

from faultcase import TIMEOUT, FaultTestCase, frame
from processes import resident_kb
from harness import Faults

import framing  # from tools/gensim, which harness puts on the path

STORM_SECONDS = 12
WARM_UP_ROUNDS = 2
MAX_GROWTH_KB = 2048
NAK_BURST = 200  # types 11 and 13: NAK bytes, which the program ignores
NAKS_PER_COMMAND = 20  # type 17: each NAK must make the last command go again


class StormTest(FaultTestCase):
    def setUp(self):
        super().setUp()
        self.random = random.Random(4)

    def storm(self, gen_type, one_round):
        """Warm-up rounds, then rounds for STORM_SECONDS; checks the memory across them."""
        self.start(gen_type, faults=Faults(silent=True))
        if gen_type != 17:
            # The port's reader empties the line when it starts; its first write
            # (type 11's greeting, type 13's poll) shows that it has.
            self.assertTrue(self.gen.wait_for_bytes(1, TIMEOUT), "the program never wrote")
        expected = []
        for round_ in range(WARM_UP_ROUNDS):
            expected += one_round(round_)
        before = resident_kb(self.run_.pid)
        end, round_ = time.monotonic() + STORM_SECONDS, WARM_UP_ROUNDS
        while time.monotonic() < end:
            expected += one_round(round_)
            round_ += 1
        growth = resident_kb(self.run_.pid) - before
        self.assertStillRunning()
        self.assertLessEqual(growth, MAX_GROWTH_KB, "grew by %d kB over %d rounds" % (growth, round_))
        return expected

    def send_split(self, data):
        """Every byte on its own, so that the program reads the reply in pieces."""
        for byte in data:
            self.gen.send_raw(bytes([byte]))
            time.sleep(0.001)

    def await_host(self, expected):
        self.hostsim.wait_records(len(expected), TIMEOUT)

    def noise(self, alphabet):
        return bytes(self.random.choice(alphabet) for _ in range(self.random.randrange(20, 300)))

    # -- per type ------------------------------------------------------------------

    def test_type11(self):
        alphabet = [b for b in range(256) if b not in (framing.ETX, framing.NAK)]

        def one_round(round_):
            self.gen.send_raw(bytes([framing.NAK]) * NAK_BURST)
            noise = self.noise(alphabet) + bytes([framing.ETX])
            self.gen.send_raw(noise + bytes([wrong_checksum11(noise)]))
            # KV89 sums to NAK: its checksum byte must still be taken as one.
            kv, ma = ("KV89" if round_ % 2 == 0 else "KV%d" % round_), "MA%d" % round_
            self.gen.send_raw(frame(11, kv))
            self.gen.send_raw(framing.corrupt_checksum(11, frame(11, "MA999")))
            self.send_split(frame(11, ma))
            expected = [(0, kv[2:]), (1, ma[2:])]
            self.await_host(self.received_so_far + expected)
            self.received_so_far += expected
            return expected

        self.received_so_far = []
        expected = self.storm(11, one_round)
        self.assertEqual(expected, [(r.index, r.text) for r in self.hostsim.records()])

    def test_type13(self):
        alphabet = [b for b in range(256) if b != framing.ETX]

        def one_round(round_):
            self.gen.send_raw(bytes([framing.NAK]) * NAK_BURST)
            self.gen.send_raw(self.noise(alphabet) + b"zz\x03")  # no checksum digits: dropped
            self.gen.send_raw(frame(13, "V%dA" % round_))
            self.gen.send_raw(framing.corrupt_checksum(13, frame(13, "BAD")))
            self.send_split(frame(13, "V%dB" % round_))
            expected = ["V%dA" % round_, "V%dB" % round_]
            self.await_host(self.received_so_far + expected)
            self.received_so_far += expected
            return expected

        self.received_so_far = []
        self.assertEqual(self.storm(13, one_round), self.host_texts())

    def test_type17(self):
        # Noise without frame ends, then one: it reaches the host as one damaged frame
        # (this type takes every frame as it comes), without its first character.
        alphabet = [b for b in range(0x21, 0x100) if chr(b) not in 'A"\\\x7f']

        def one_round(round_):
            command = "KV%d" % round_
            self.hostsim.send("send " + command)
            for naks in range(NAKS_PER_COMMAND):
                self.assertTrue(self.until(lambda: self.command_count(command) > naks), "no resend")
                self.gen.send_raw(framing.NAK17)
            self.assertTrue(self.until(lambda: self.command_count(command) > NAKS_PER_COMMAND))
            answer, damaged, split = (safe17("%s%d" % (name, round_)) for name in ("Q", "W", "S"))
            self.gen.send_raw(framing.ACK17 + frame(17, answer))
            noise = self.noise(alphabet)
            self.gen.send_raw(noise + b"\x03x")
            self.gen.send_raw(framing.corrupt_checksum(17, frame(17, damaged)))
            self.send_split(frame(17, split))
            # The checksum byte of the answer before may come in the same block as the
            # noise; then it, and not the noise's first character, is dropped. The host
            # gets at most 255 characters.
            garbage = Either(*("".join(chr(b) if b < 0x80 else "." for b in n[:255]) for n in (noise, noise[1:])))
            expected = [answer, garbage, damaged, split]
            self.await_host(self.received_so_far + expected)
            self.received_so_far += expected
            self.assertEqual(NAKS_PER_COMMAND + 1, self.command_count(command), "one resend per NAK")
            return expected

        self.received_so_far = []
        self.assertEqual(self.storm(17, one_round), self.host_texts())


class Either:
    """Equal to any of its texts."""

    def __init__(self, *texts):
        self.texts = texts

    def __eq__(self, other):
        return other in self.texts

    def __repr__(self):
        return " or ".join(map(repr, self.texts))


def wrong_checksum11(body):
    """A checksum byte that does not match `body`."""
    return (sum(body) + 1) & 0xFF


def safe17(text):
    """`text`, lengthened until its frame's checksum byte is not ETX (which would end a
    frame of its own)."""
    while frame(17, text)[-1] == framing.ETX:
        text += "z"
    return text


if __name__ == "__main__":
    unittest.main()
