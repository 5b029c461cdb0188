"""gensim's frames and frame readers against the worked examples of the three types."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "gensim"))

import framing  # noqa: E402


class FrameTest(unittest.TestCase):
    def test_frames_byte_for_byte(self):
        cases = [
            (framing.frame11(b"ST"), "535403AA"),
            (framing.frame11(b"abc"), "6162630329"),
            (framing.frame11(b"PR1"), "50523103D6"),
            (framing.frame11(b"KV70 MA100"), "4B563730204D41313030034A"),
            (framing.frame13(b"A1C1"), "0241314331313703"),
            (framing.frame13(b"BD1A"), "0242443141303503"),
            (framing.frame13(b"abc"), "02616263443703"),
            (framing.frame17(b"abc", b"A"), "16161602416162630322"),
            (framing.frame17(b"abc", b"C"), "16161602436162630320"),
            (framing.ACK17, "16161602060305"),
        ]
        for frame, expected in cases:
            with self.subTest(expected=expected):
                self.assertEqual(bytes.fromhex(expected), frame)

    def test_readers_cut_streams_into_units(self):
        stream11 = framing.TYPE11_STARTUP + framing.frame11(b"ST") + b"RS\x03\x00"
        self.assertEqual(
            [("startup", "", True), ("command", "ST", True), ("command", "RS", False)],
            [(f.kind, f.text, f.checksum_ok) for f in framing.Type11Reader().feed(stream11)],
        )
        stream13 = framing.frame13(b"BD1A") + framing.ACK13 + framing.corrupt_checksum(13, framing.frame13(b"X"))
        self.assertEqual(
            [("command", "BD1A", True), ("ack", "", True), ("command", "X", False)],
            [(f.kind, f.text, f.checksum_ok) for f in framing.Type13Reader().feed(stream13)],
        )

    def test_type17_frame_split_across_reads(self):
        reader = framing.Type17Reader()
        frame = framing.frame17(b"KV70", b"C")
        self.assertEqual([], reader.feed(frame[:6]))
        (unit,) = reader.feed(frame[6:])
        self.assertEqual(("command", "C", "KV70", True), (unit.kind, unit.prefix, unit.text, unit.checksum_ok))

    def test_endless_bytes_without_a_frame_end_stay_bounded(self):
        reader = framing.Type13Reader()
        units = reader.feed(b"\x41" * (framing.MAX_UNIT + 10))
        self.assertEqual(["noise"], [u.kind for u in units])
        self.assertLess(len(reader.buf), framing.MAX_UNIT)


if __name__ == "__main__":
    unittest.main()
