"""Faults of the console's link (generator type 15) end to end: the real relvan.exe under
Wine with our link component, the type-15 simulator on a pty, the port double and
hostsim. The serial line vanishes mid-exposure in both models: the program lives on,
gives the link up when its watchdog runs out, releases the lines, keeps answering its
host (console code 111: the parameter report, kind 112) and says so in its log. The
link's own port: one that names no device is logged and shown; one that goes away and
comes back under the same name is opened again, and power on reaches the new device."""

import time
import unittest

import consolecase
from consolecase import LINK_CLASS, LINK_COM, ConsoleTestCase
from linkline import Call
from portfile import read_write_log
from ptypair import PtyPair
from serialline import SerialLine
from type15 import Settings

RELEASE = Call(57, ("00", "00"))
READY_LINE = Call(57, ("01", "00"))
LINK_ANSWER = Call(58, ("55",))
WATCHDOG = 10.0  # seconds of link silence before the console gives the link up
LOST = "USB Link Deconnection !!"
# A start-up report, as the host asks for it with code 111.
START_REPORT = "40;10;0.1;0.025;0;0;0;0;0;0;"
REPORT_TIMEOUT = 30  # seconds for the report after the host asks for it
STATUS_EDIT = 1039


class ConsoleLinkFaultTestCase(ConsoleTestCase):
    def console(self, **settings):
        """The console as ConsoleTestCase starts it; self.pair is its link's pty pair."""
        made = []
        original = consolecase.PtyPair
        consolecase.PtyPair = lambda *args: made.append(original(*args)) or made[-1]
        try:
            return super().console(**settings)
        finally:
            consolecase.PtyPair = original
            self.pair = made[0] if made else None

    def exposing(self, gen):
        """A hand-switch exposure under way: ready, Ready UP OK, exposure, X-ray Start OK."""
        self.charged(gen)
        gen.set_hand_switch("20")
        self.sent(gen, "RS05")
        gen.set_hand_switch("00")
        self.call(gen, 25)
        self.sent(gen, "RS06")

    def assertLostOnce(self, run, since):
        """The link given up once, a watchdog period after the last link report, and
        what the log says about it, in order."""
        self.assertTrue(run.wait_log(LOST, WATCHDOG + 15), "the link loss was never logged")
        lost = time.monotonic()
        self.assertGreaterEqual(lost - since, WATCHDOG - 0.5, "given up before the watchdog ran out")
        texts = [line for line in run.log_lines() if line.startswith("[I] Generator") or LOST in line]
        tail = texts[-3:]
        self.assertEqual(
            tail, ["[I] Generator Charge OFF OK !!", "[I] Generator Power OFF OK !!", "[I] " + LOST], texts[-8:]
        )
        self.assertEqual(1, len([line for line in run.log_lines() if LOST in line]))


class LineVanishesTest(ConsoleLinkFaultTestCase):
    """The pty pair is closed (the socat between the two ends is stopped) during an
    exposure with the hand switch held at its second stage, right after a report: in
    Model 2 after the switch's own report HS "00", in Model 1 after a LINK "55"."""

    def test_model2(self):
        host = self.host()
        run, gen = self.console(model=2, host_title=host.title, delays={"RS07": 120000})
        self.exposing(gen)
        # The hardest moment: the last thing the console hears is the held switch,
        # after its answer to the last link check.
        gen.clear()
        self.call(gen, LINK_ANSWER.id, LINK_ANSWER.args)
        time.sleep(0.2)
        gen.send("HS")
        held = self.sent(gen, "HS")
        time.sleep(0.5)
        gen.stop()
        self.pair.close()
        # The release cannot reach a line that is gone: the console releases before it
        # reports Charge OFF OK, which the log shows.
        self.assertLostOnce(run, held)
        self.assertTrue(run.running())
        self.assertEqual(host.console_report(REPORT_TIMEOUT), START_REPORT)
        self.assertTrue(run.close_window())
        self.assertEqual(run.wait_exit(20), 0)

    def test_model1(self):
        host = self.host()
        run, gen = self.console(model=1, host_title=host.title, delays={"RS07": 120000})
        self.exposing(gen)
        self.port_step(gen, "PORT FC")
        gen.clear()
        answered = self.call(gen, LINK_ANSWER.id, LINK_ANSWER.args)
        gen.stop()
        self.pair.close()
        writes = len(read_write_log(self.port_log))
        self.assertLostOnce(run, answered)
        # Both lines let go on the port: the release, then the idle pattern; nothing after.
        self.assertEqual([value for _, _, value in read_write_log(self.port_log)[writes:]], [0xFF, 0xFB])
        self.assertTrue(run.running())
        self.assertEqual(host.console_report(REPORT_TIMEOUT), START_REPORT)
        self.assertTrue(run.close_window())
        self.assertEqual(run.wait_exit(20), 0)

    def port_step(self, gen, step, timeout=10):
        self.assertIsNotNone(gen.wait_for(lambda r: r.step == step, timeout), "no %s" % step)


class LinkPortTest(ConsoleLinkFaultTestCase):
    def test_a_wrong_link_port_is_logged_and_shown(self):
        run, gen = self.console(model=2, link_port="COM9")
        text = "USB link COM9 cannot be opened: error 2"
        self.assertLogged(run, "[W] " + text, timeout=15)
        # Power on at the end of the set-up: its call fails, once in the log.
        self.assertLogged(run, "[E] Link control %s method 1 failed: %s (0x80070002)" % (LINK_CLASS, text), 15)
        self.wait_text(STATUS_EDIT, text + " !!")
        self.assertEqual(1, len([line for line in run.log_lines() if "method 1 failed" in line]))
        self.assertTrue(run.running())

    def test_a_port_that_comes_back_is_opened_again(self):
        """The pty pair is removed and made again under the same name: the program's log
        says when the port was lost and when it came back; the console's watchdog has
        meanwhile given the link up, and power on reaches the new device."""
        host = self.host()
        run, gen = self.console(model=2, host_title=host.title)
        self.charged(gen)
        gen.stop()
        self.pair.close()
        port = "COM%d" % LINK_COM
        self.assertLogged(run, "[W] USB link %s lost: " % port, timeout=10)
        self.assertLogged(run, LOST, timeout=WATCHDOG + 10)

        pair = PtyPair(self.dir, "link")
        self.addCleanup(pair.close)
        self.prefix.map_com_port(LINK_COM, pair.program_device)
        line = SerialLine(pair.generator_link)
        self.addCleanup(line.close)
        gen = self.generator(line, Settings(model=2, portsim=""))
        self.assertLogged(run, "[I] USB link %s is open again" % port, timeout=10)
        host.send("console 100 1")
        self.call(gen, 1)
        self.sent(gen, "RS04", timeout=15)
        self.assertEqual(1, run.log_lines().count("[I] USB link %s is open again" % port))


if __name__ == "__main__":
    unittest.main()
