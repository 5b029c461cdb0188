"""Exposures on the console panel (generator type 15) end to end: the real relvan.exe
under Wine with our link component, the type-15 simulator, the port double and hostsim.
Model 2 with the hand switch over the link, Model 1 with it on the parallel port, the
panel driven from its buttons, and the host's console commands."""

import configparser
import os
import time
import unittest

from consolecase import DATA, LIT, UNLIT, ConsoleTestCase
from linkline import Call
from portfile import read_write_log

# Panel controls.
KV_EDIT, MA_EDIT, TIME_EDIT = 1001, 1002, 1003
KV_UP, MA_UP, TIME_UP = 1005, 1007, 1009
PREHEAT_EDIT, PREHEAT_UP, CHANGE, PREHEAT_SAVE = 1011, 1012, 1013, 1015
KV_SHIFT_EDIT, KV_SHIFT_UP, KV_SHIFT_SAVE = 1019, 1035, 1043
STATUS_EDIT = 1039
READY, READY_CANCEL, EXPOSURE, EXPOSURE_CANCEL = 1040, 1041, 1042, 1044
AUX, BUCKY2, AEC, FIELD1, DENSITY_UP, DENSITY_EDIT, ROTOR_HIGH = 1055, 1057, 1061, 1065, 1069, 1071, 1073
# Lamps.
READY_UP, XRAY_START, XRAY_END = 1021, 1022, 1023
STANDING = 1026
SEC, MAS = 1030, 1031
FIELD_LAMPS = (1058, 1059, 1060)
LAMP_AUX, LAMP_BUCKY1, LAMP_BUCKY2 = 1062, 1063, 1064
ROTOR_LOW_LAMP, ROTOR_HIGH_LAMP = 1074, 1075
AEC_LAMP = 1085

RELEASE = Call(57, ("00", "00"))
READY_LINE = Call(57, ("01", "00"))

# The ready at the start combination (40 kV, 10 mA, 0.025 s, low rotor, time mode),
# its reference texts read from the sample ref_data.dat: kV 1092 + shift 0 = 444;
# mA 1200 + shift 2 + small focus shift -2 = 4B0, less the pre-heat 10 = 4A6.
START_READY = [
    Call(15),
    Call(27),
    Call(43, ("28", "444", "444")),
    Call(44, ("64", "4B0", "4A6")),
    Call(46, ("9C4",)),
]

# The worked example of the feedback report.
FEEDBACK_VALUES = {"R102": ("1F4",), "R103": ("65",), "R201": ("25", "1")}
FEEDBACK_LINE = "kV FB DATA : 632 , mA FB DATA : 57 , Actual mAs : 12.5 mAs"


class Model2ExposureTest(ConsoleTestCase):
    def test_hand_switch_exposure_feedback_check_and_error(self):
        host = self.host()
        # RS07 2 s after RS06: time to report a check during the exposure.
        run, gen = self.console(model=2, host_title=host.title, values=FEEDBACK_VALUES, delays={"RS07": 2000})
        self.charged(gen)

        # First stage: the ready's methods in order, the ready line last.
        gen.clear()
        gen.set_hand_switch("20")
        self.call(gen, READY_LINE)
        self.assertEqual(self.calls(gen), START_READY + [READY_LINE])
        # Second stage after Ready UP OK: the exposure line, then the exposure.
        self.sent(gen, "RS05")
        gen.clear()
        gen.set_hand_switch("00")
        self.call(gen, 25)
        self.assertEqual(self.calls(gen), [Call(57, ("01", "01")), Call(25)])
        # X-ray End OK, 500 ms later the release; the feedback goes to the host.
        rs07 = self.sent(gen, "RS07", timeout=5)
        self.assertAfter(self.call(gen, RELEASE), rs07, 0.5)
        self.assertEqual(self.host_texts(host, 114), ["12.5"])
        self.wait_text(STATUS_EDIT, FEEDBACK_LINE)
        # Released to standing (for a few polls: the finished exposure is forgotten only there).
        gen.set_hand_switch("30")
        time.sleep(0.5)

        # A check during the next exposure ends it at once, without powering off.
        gen.clear()
        gen.set_hand_switch("20")
        self.sent(gen, "RS05")
        gen.set_hand_switch("00")
        self.sent(gen, "RS06")
        gen.clear()
        gen.send("R104", ("6E",))
        self.assertAfter(self.call(gen, RELEASE), self.sent(gen, "R104"), 0.0)
        self.wait_text(STATUS_EDIT, "Check : 10 = : - ")
        self.assertTrue(self.item(READY).enabled)
        # The latched check freezes the switch: held at the second stage, nothing starts;
        # nor after R105, as long as it is held: one press, one exposure.
        time.sleep(1.0)
        gen.send("R105")
        self.wait_text(STATUS_EDIT, "Generator HT Reset !!")
        time.sleep(1.0)
        self.assertNotIn(READY_LINE, gen.calls())
        # Released and pressed again, the switch works again.
        gen.set_hand_switch("30")
        gen.set_hand_switch("20")
        self.call(gen, READY_LINE)
        self.sent(gen, "RS05")
        self.assertFalse([c for c in gen.calls() if c.id == 2 or c == Call(56, ("00",))])

        # An error during the ready: shown, logged at error level, power off 100 ms later.
        gen.clear()
        gen.send("R104", ("22",))
        error = "Error : 34 = :LARGE-FOCUS SELECTION ERROR"
        self.assertAfter(self.call(gen, 56, ("00",)), self.sent(gen, "R104"), 0.1)
        self.call(gen, 2)
        self.assertEqual(self.calls(gen), [Call(56, ("00",)), RELEASE, Call(2)])
        self.assertLogged(run, "[E] " + error)
        self.assertLogged(run, "[I] " + error)  # the status text the panel showed
        self.assertLogged(run, "[I] Generator Power OFF OK !!")
        self.assertEqual(len(self.host_texts(host, 113, count=2)), 2)  # charged, powered off
        self.assertEqual(self.host_texts(host, 114), ["12.5"])

    def host_texts(self, host, kind, count=1, timeout=10):
        """The texts of the host's records of `kind`, once `count` of them came."""
        deadline = time.monotonic() + timeout
        while len([r for r in host.records() if r.kind == kind]) < count:
            self.assertLess(time.monotonic(), deadline, "no %d records of kind %d: %s" % (count, kind, host.lines))
            time.sleep(0.05)
        return [r.text for r in host.records() if r.kind == kind]


class HostCommandTest(ConsoleTestCase):
    # Console codes, then the report the host asks for with 111 (kind 112): kV, mA, mAs,
    # sec, large focus, mode (0 sec, 1 mAs, 2 AEC), fields 1 to 3, density.
    STEPS = [
        # kV 40 → 41, mA 10 → 12.5, sec 0.025 → 0.032, mAs 0.1 → 0.125.
        (["9", "9", "10", "12", "15", "15", "16", "18"], "41;12.5;0.125;0.032;0;0;0;0;0;0;", []),
        # Back to 10 mA and 0.1 mAs; mAs mode carries 0.032 s × 10 mA over: 0.32 mAs.
        (["13", "19", "108"], "41;10;0.32;0.032;0;1;0;0;0;0;", []),
        # Time mode: 0.32 mAs ÷ 10 mA = 0.032 s.
        (["107"], "41;10;0.32;0.032;0;0;0;0;0;0;", []),
        # AEC mode: mAs mode, then AEC on with all three fields and density 0.
        (["109"], "41;10;0.32;0.032;0;2;1;1;1;0;", [Call(6), Call(6), Call(48, ("00", "07")), Call(47, ("200", "01"))]),
        # Fields 1 and 2; density +1 adds 12 to the AEC reference 512.
        (["101 11", "105"], "41;10;0.32;0.032;0;2;1;1;0;1;", [Call(48, ("00", "04")), Call(47, ("20C", "01"))]),
        # A whole exposure in time mode, matched to the steps: AEC off, large focus.
        (["110 120;500;0.025;12.5;0;0;0;0;0"], "120;500;12.5;0.025;1;0;0;0;0;0;", [Call(5), Call(5)]),
    ]

    def test_console_codes_the_report_and_over(self):
        host = self.host()
        run, gen = self.console(model=2, host_title=host.title)
        self.charged(gen)
        for number, (codes, report, methods) in enumerate(self.STEPS, 1):
            gen.clear()
            for code in codes:
                host.send("console " + code)
            host.send("console 111")
            self.assertEqual(self.report(host, number), report, "after %s" % codes)
            calls = self.calls(gen)
            for method in methods:
                self.assertIn(method, calls, "after %s" % codes)

        # 120 kV at 500 mA for 0.025 s is OVER for 50 kW (at most 100 kV): the hand switch
        # is refused at both stages, also when pressed straight to the second.
        self.assertEqual(self.text(STATUS_EDIT), "OVER !!")
        gen.clear()
        gen.set_hand_switch("00")
        self.assertLogged(run, "[I] Ready Start Fail !!")
        self.call(gen, RELEASE)  # the refusal cancels the ready
        gen.set_hand_switch("20")
        time.sleep(1.0)
        gen.set_hand_switch("30")
        self.assertEqual({c.id for c in gen.calls()} - {58}, {57})
        self.assertEqual({c for c in gen.calls() if c.id == 57}, {RELEASE})
        # 400 mA allows 125 kV: the same switch now starts the ready.
        host.send("console 13")
        self.wait_text(STATUS_EDIT, "")
        gen.clear()
        gen.set_hand_switch("20")
        self.call(gen, READY_LINE)
        gen.set_hand_switch("30")
        self.call(gen, RELEASE)

    def report(self, host, number, timeout=10):
        """The text of the host's `number`th parameter report (kind 112)."""
        deadline = time.monotonic() + timeout
        while True:
            reports = [r.text for r in host.records() if r.kind == 112]
            if len(reports) >= number:
                return reports[number - 1]
            self.assertLess(time.monotonic(), deadline, "report %d missing: %s" % (number, host.lines))
            time.sleep(0.05)


class Model1ExposureTest(ConsoleTestCase):
    def test_port_lines_of_a_hand_switch_exposure_and_its_cancel(self):
        # RS07 3 s after RS06: the switch lets go during the exposure.
        run, gen = self.console(model=1, delays={"RS07": 3000})
        self.charged(gen)
        writes = len(read_write_log(self.port_log))

        # First stage: the methods, then the ready line on the port.
        gen.clear()
        gen.set_hand_switch("20")
        self.port_step(gen, "PORT FD")
        self.assertEqual(self.steps(gen), [c.text() for c in START_READY] + ["PORT FD"])
        # Second stage after Ready UP OK: the exposure method and the exposure line.
        self.sent(gen, "RS05")
        gen.clear()
        gen.set_hand_switch("00")
        self.port_step(gen, "PORT FC")
        self.assertEqual(self.steps(gen), ["CALL 25", "PORT FC"])
        # Back to the first stage after X-ray Start: released within one poll (50 ms).
        self.sent(gen, "RS06")
        self.assertLogged(run, "[I] Generator X-ray Start OK !!")
        let_go = time.time()
        gen.set_hand_switch("20")
        self.assertLogged(run, "[I] Warning !! - Exposure Cancel !!")
        late = [(ms / 1000.0, value) for ms, address, value in read_write_log(self.port_log)[writes:]]
        values = [value for _, value in late]
        self.assertEqual(values[:3], [0xFD, 0xFC, 0xFF])
        self.assertAfter(late[2][0], let_go, 0.0, slack=0.05 + 0.5)
        # Still held at the first stage: the cancelled press starts no ready again.
        time.sleep(1.0)
        self.assertNotIn(0xFD, [value for _, _, value in read_write_log(self.port_log)[writes + 2 :]])
        gen.set_hand_switch("30")
        deadline = time.monotonic() + 5
        while read_write_log(self.port_log)[-1][2] != 0xFF and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(read_write_log(self.port_log)[-1][2], 0xFF)

    def port_step(self, gen, step, timeout=10):
        self.assertIsNotNone(gen.wait_for(lambda r: r.step == step, timeout), "no %s: %s" % (step, self.steps(gen)))

    @staticmethod
    def steps(gen):
        return [r.step for r in gen.received if r.call is None or r.call.id != 58]


class PanelTest(ConsoleTestCase):
    def test_an_operator_sets_options_and_parameters_saves_and_exposes_from_the_buttons(self):
        # RS07 2 s after RS06: time to look at the lamps during the exposure.
        run, gen = self.console(model=2, port_double=False, delays={"RS07": 2000})
        self.charged(gen)
        self.wait_lamps({LAMP_BUCKY1: LIT, LAMP_AUX: UNLIT, ROTOR_LOW_LAMP: LIT, SEC: LIT, MAS: UNLIT, STANDING: LIT})

        # Receptor and rotor.
        gen.clear()
        self.click(BUCKY2)
        self.wait_lamps({LAMP_BUCKY2: LIT, LAMP_BUCKY1: UNLIT})
        self.click(AUX)
        self.wait_lamps({LAMP_AUX: LIT, LAMP_BUCKY2: UNLIT})
        self.assertCalls(gen, [Call(20, ("00", "20"))] * 2 + [Call(21, ("00", "20"))] * 2)
        self.click(ROTOR_HIGH)
        self.wait_lamps({ROTOR_HIGH_LAMP: LIT, ROTOR_LOW_LAMP: UNLIT})
        # AEC with AUX chosen: BUCKY1 first, then AEC on with all fields and density 0.
        gen.clear()
        self.click(AEC)
        self.wait_lamps({AEC_LAMP: LIT, LAMP_BUCKY1: LIT, LAMP_AUX: UNLIT, **{lamp: LIT for lamp in FIELD_LAMPS}})
        reference = Call(47, ("200", "01"))
        aec_on = [Call(6), Call(6), Call(48, ("00", "07")), reference]
        self.assertCalls(gen, [Call(19, ("00", "20"))] * 2 + [reference] + aec_on)
        self.assertEqual(self.text(DENSITY_EDIT), "0")
        self.assertFalse(self.item(AUX).enabled)
        # Field 1 off (fields 2 and 3 stay: code 6), density +1 (reference 512 + 12).
        gen.clear()
        self.click(FIELD1)
        self.wait_lamp(FIELD_LAMPS[0], UNLIT)
        self.click(DENSITY_UP)
        self.wait_text(DENSITY_EDIT, "1")
        self.assertCalls(gen, [Call(48, ("00", "06")), Call(47, ("20C", "01"))])

        # Change to mAs mode (0.025 s x 10 mA = 0.25 mAs) and back; kV, mA and sec up.
        self.click(CHANGE)
        self.wait_lamps({MAS: LIT, SEC: UNLIT})
        self.assertEqual(self.text(TIME_EDIT), "0.25")
        self.click(CHANGE)
        self.wait_text(TIME_EDIT, "0.025")
        for button, edit, text in ((KV_UP, KV_EDIT, "41"), (MA_UP, MA_EDIT, "12.5"), (TIME_UP, TIME_EDIT, "0.032")):
            self.click(button)
            self.wait_text(edit, text)

        # The kV shift of 12.5 mA from 0 to 1, saved; the pre-heat of 12.5 mA from 12 to 13, saved.
        self.assertEqual(self.text(KV_SHIFT_EDIT), "0")
        self.click(KV_SHIFT_UP)
        self.wait_text(KV_SHIFT_EDIT, "1")
        self.click(KV_SHIFT_SAVE)
        self.wait_for_state(KV_SHIFT_SAVE, enabled=False)
        self.assertEqual(self.ref_data("kV Ref Shift", "C-1_1 Step"), "1")
        self.assertEqual(self.ref_data("kV Ref Shift", "C-1_0 Step"), "0")
        self.assertEqual(self.text(PREHEAT_EDIT), "12")
        self.click(PREHEAT_UP)
        self.wait_text(PREHEAT_EDIT, "13")
        self.click(PREHEAT_SAVE)
        self.wait_for_state(PREHEAT_UP, enabled=True)  # again, 500 ms after the save
        self.assertFalse(self.item(PREHEAT_SAVE).enabled)
        rows = self.rows(os.path.join(DATA, "step_ma.dat"))
        rows[1] = b"12.5\t7D\t13"
        self.assertEqual(self.rows(os.path.join(self.data, "step_ma.dat")), rows)
        self.assertEqual(sorted(os.listdir(self.data)), sorted(os.listdir(DATA)))  # no file left beside them

        # Ready, then Exposure: the saved shift and pre-heat are in the ready's texts
        # (kV 1119 + 1 = 460; mA 1268 + 2 - 2 = 4F4, less 13 = 4E7), in the AEC order.
        gen.clear()
        self.click(READY)
        kv_ma = [Call(43, ("29", "460", "45F")), Call(44, ("7D", "4F4", "4E7"))]
        self.assertCalls(gen, [Call(14), Call(27)] + kv_ma + [Call(46, ("C80",)), Call(45, ("19", "01")), READY_LINE])
        self.wait_lamp(READY_UP, LIT)
        self.assertTrue(self.item(READY_CANCEL).enabled)
        gen.clear()
        self.click(EXPOSURE)
        self.assertCalls(gen, [Call(57, ("01", "01")), Call(25)])
        self.wait_lamps({XRAY_START: LIT, READY_UP: LIT})
        self.assertTrue(self.item(EXPOSURE_CANCEL).enabled)
        self.assertFalse(self.item(EXPOSURE).enabled)
        rs07 = self.sent(gen, "RS07", timeout=5)
        self.assertAfter(self.call(gen, RELEASE), rs07, 0.5)
        self.wait_lamps({READY_UP: UNLIT, XRAY_START: UNLIT, XRAY_END: UNLIT})
        self.assertTrue(self.item(READY).enabled)
        self.assertFalse(self.item(EXPOSURE_CANCEL).enabled)

    def wait_for_state(self, control_id, enabled, timeout=5):
        deadline = time.monotonic() + timeout
        while self.item(control_id).enabled != enabled and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.item(control_id).enabled, enabled, "control %d" % control_id)

    @staticmethod
    def rows(path):
        """A table's rows, each ended by CR LF."""
        with open(path, "rb") as table:
            return table.read().split(b"\r\n")

    def ref_data(self, section, key):
        ini = configparser.ConfigParser(interpolation=None)
        ini.optionxform = str
        ini.read(os.path.join(self.data, "ref_data.dat"))
        return ini[section][key]


if __name__ == "__main__":
    unittest.main()
