"""Start-up under Wine: the single-instance rule, opening the serial link per generator
type with its log lines, and the first frames on the wire byte for byte."""

import time
import unittest

import tools
from harness import ERROR_BOX, LOG_LINE, E2ETestCase, Faults, ini_for

START_TIMEOUT = 20  # seconds; a cold Wine start of the program can take a few


class SingleInstanceTest(E2ETestCase):
    def test_second_copy_quits_but_a_renamed_copy_runs(self):
        first = self.relvan(ini_for(2))
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", START_TIMEOUT * 1000))

        same_name = self.relvan(ini_for(2), folder="elsewhere")
        self.assertEqual(0, same_name.wait_exit(START_TIMEOUT))
        self.assertTrue(first.running())

        renamed = self.relvan(ini_for(2), exe_name="relvan-copy.exe", folder="renamed")
        self.assertIsNone(renamed.wait_exit(5), "a copy under another name must start")


class SerialStartTest(E2ETestCase):
    def silent_generator(self, gen_type, com_port, prefix="A"):
        return self.generator(gen_type, self.serial(com_port), prefix=prefix, faults=Faults(silent=True))

    def test_type11_sends_its_startup_bytes_then_ST(self):
        gen = self.silent_generator(11, 5)
        run = self.relvan(ini_for(11, 5))
        startup = gen.wait_for(lambda f: f.kind == "startup", START_TIMEOUT)
        self.assertIsNotNone(startup, "no start-up bytes; got %r" % bytes(gen.raw))
        status = gen.wait_for_command("ST", 5)
        self.assertIsNotNone(status)
        self.assertEqual(bytes.fromhex("013500010138535403AA"), bytes(gen.raw[:10]))
        started = gen.received[0].time
        delay = next(r.time for r in gen.received if r.frame is status) - started
        self.assertTrue(0.35 <= delay <= 1.5, "ST came %.3f s after the start-up bytes" % delay)

        self.assertLogged(run, "[I] Connected generator port:5 Baud:19200")
        self.assertEqual([run.expected_log_name()], [p.rsplit("/", 1)[-1] for p in run.log_files()])
        self.assertRegex(run.log_bytes(), b"^(" + LOG_LINE.pattern + b")+$")

    def test_type13_on_a_plain_com_name_sends_BD1A(self):
        gen = self.silent_generator(13, 3)
        run = self.relvan(ini_for(13, 3))
        frame = gen.wait_for(lambda f: f.kind == "command", START_TIMEOUT)
        self.assertIsNotNone(frame)
        self.assertEqual(bytes.fromhex("0242443141303503"), frame.raw)
        self.assertLogged(run, "[I] Connected generator port:3 Baud:57600")

    def test_type17_miniconsole_sends_R_at_start(self):
        gen = self.silent_generator(17, 6, prefix="C")
        run = self.relvan(ini_for(17, 6, UseMiniConsole=1))
        frame = gen.wait_for(lambda f: f.kind == "command", START_TIMEOUT)
        self.assertIsNotNone(frame)
        self.assertEqual(bytes.fromhex("16161602435203") + bytes([0x43 ^ 0x52 ^ 0x03]), frame.raw)
        self.assertLogged(run, "[I] Connected generator port:6 Baud:38400 with miniconsole.")


class CannotConnectTest(E2ETestCase):
    """No pty is mapped to the port, so every open fails."""

    def run_until_logged(self, ini, text):
        run = self.relvan(ini)
        self.assertLogged(run, text, timeout=START_TIMEOUT)
        return run

    def test_failure_lines_per_type(self):
        cases = [
            (ini_for(13, 7, EnableDebug=0), "[I] Can't connect generator port:7 Baud:57600"),
            (ini_for(11, 7), "[I] Can't connect generator port:7 Baud:19200"),
            (ini_for(17, 7, EnableDebug=0), "[I] Can't connect generator port:7 Baud:38400 with console."),
            (ini_for(17, 11, UseMiniConsole=1), "[I] Can't connect generator port:11 Baud:38400 with miniconsole."),
        ]
        for ini, text in cases:
            with self.subTest(text=text):
                run = self.run_until_logged(ini, text)
                self.assertTrue(run.running(), "a failed open must leave the program running")
                run.stop()

    def test_type11_without_debug_logs_nothing(self):
        run = self.relvan(ini_for(11, 7, EnableDebug=0))
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", START_TIMEOUT * 1000))
        time.sleep(1)
        self.assertFalse(any("connect" in line for line in run.log_lines()))

    def test_baud_rate_zero_fails_or_configures_with_a_clear_result(self):
        self.serial(5)
        run = self.relvan(ini_for(11, 5, BaudRate=0))
        box = tools.dismiss_message_box(self.prefix, ERROR_BOX, 8000)
        if box is not None:
            self.assertIn("Port: 5", box)
        self.assertTrue(
            run.wait_log("generator port:5 Baud:0", 10),
            "no connect line for baud 0; log:\n%s" % "\n".join(run.log_lines()),
        )
        while tools.dismiss_message_box(self.prefix, ERROR_BOX, 500) is not None:
            pass
        self.assertTrue(run.running())


if __name__ == "__main__":
    unittest.main()
