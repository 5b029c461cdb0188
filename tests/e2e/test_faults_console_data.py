"""The console's data folder broken in the ways a field installation breaks it: missing,
tables empty, truncated, oversized, cells that are not numbers. One program (generator
type 15, Model 2, no link component: none is needed to open the panel) is started on
each variant in turn: the panel opens, the log names what is wrong with which file, the
host's parameter report (console code 111, kind 112) comes back built from what the
tables do hold, and WM_CLOSE ends the program normally."""

import os
import shutil
import time
import unittest

import tools
from consolecase import DATA
from harness import E2ETestCase
from relvanrun import RelvanRun

START_REPORT = "40;10;0.1;0.025;0;0;0;0;0;0;"
EMPTY_REPORT = ";;;;0;0;0;0;0;0;"
REPORT_TIMEOUT = 20  # seconds for the report after the host asks for it
STEP_TABLES = ("step_kv.dat", "step_ma.dat", "step_sec.dat", "step_mas.dat")
OVER_TABLES = ("over_50kW/over_mA_mAs.dat", "over_50kW/over_mA_sec.dat")


def path_of(name):
    """How the log names a file of the data folder."""
    return "\\data\\" + name.replace("/", "\\")


def missing(data):
    shutil.rmtree(data)


def empty(data):
    for name in STEP_TABLES + OVER_TABLES:
        open(os.path.join(data, name), "wb").close()


def truncated(data):
    # Cut in the middle of a row: the last row lacks cells and its line end.
    for name, keep in (("step_kv.dat", 5), ("step_ma.dat", 3), ("over_50kW/over_mA_sec.dat", 5)):
        path = os.path.join(data, name)
        with open(path, "rb") as table:
            content = table.read()
        with open(path, "wb") as table:
            table.write(content[:keep])


def oversized(data):
    # 63 mA rows for a grid of 21; an over table of 60 lines of 30 cells for 38 × 21.
    path = os.path.join(data, "step_ma.dat")
    with open(path, "rb") as table:
        content = table.read()
    with open(path, "wb") as table:
        table.write(content * 3 + b"\t\t\r\n" * 5)
    with open(os.path.join(data, OVER_TABLES[1]), "wb") as table:
        table.write(("\t".join(["100"] * 30) + "\r\n").encode() * 60)


def not_numbers(data):
    # A kV display text that is no number, and over cells of letters and signs.
    path = os.path.join(data, "step_kv.dat")
    with open(path, "rb") as table:
        content = table.read()
    with open(path, "wb") as table:
        table.write(b"abc" + content[2:])
    with open(os.path.join(data, OVER_TABLES[0]), "wb") as table:
        table.write(("\t".join(["x", "-", "1e9", "99999999999", "+"] * 4) + "\r\n").encode() * 36)


class DataFolderFaultTest(E2ETestCase):
    def test_broken_data_folders(self):
        host = self.host()
        variants = [
            (
                missing,
                [("[E] Can't read ", path_of(n) + ": its table is empty") for n in STEP_TABLES + OVER_TABLES],
                EMPTY_REPORT,
            ),
            (
                empty,
                [("[E] ", path_of(n) + " holds nothing: its table is empty") for n in STEP_TABLES + OVER_TABLES],
                EMPTY_REPORT,
            ),
            (
                truncated,
                [("[W] ", path_of(n) + ": 1 rows with missing cells, taken as empty") for n in STEP_TABLES[:2]],
                START_REPORT,
            ),
            (
                oversized,
                [
                    ("[W] ", path_of("step_ma.dat") + ": 41 rows beyond the table's size, dropped"),
                    ("[W] ", path_of(OVER_TABLES[1]) + ": 1002 cells beyond 21 columns or 38 lines, dropped"),
                ],
                START_REPORT,
            ),
            (
                not_numbers,
                [("[W] ", path_of(OVER_TABLES[0]) + ": 576 cells that are not whole numbers")],
                "abc;10;0.1;0.025;0;0;0;0;0;0;",
            ),
        ]
        for damage, lines, report in variants:
            with self.subTest(damage.__name__):
                started = time.monotonic()
                run = self.start_on(damage, host)
                try:
                    for level, text in lines:
                        found = run.wait_log(text, 10)
                        found = found and any(l.startswith(level) and text in l for l in run.log_lines())
                        self.assertTrue(found, "no %s%s in:\n%s" % (level, text, "\n".join(run.log_lines())))
                    self.assertEqual(host.console_report(REPORT_TIMEOUT), report)
                    self.assertTrue(run.running())
                    self.assertTrue(run.close_window())
                    self.assertEqual(run.wait_exit(20), 0)
                finally:
                    run.stop()  # the next variant's program must not meet this one
                print("%s: %.1f s" % (damage.__name__, time.monotonic() - started))

    def start_on(self, damage, host):
        ini = {"CONTROLPANNEL": {"TypeGen": 15}, "GENERATOR": {"EnableDebug": 1, "Model": 2}}
        run = RelvanRun(self.prefix, os.path.join(self.dir, damage.__name__), ini)
        self.addCleanup(run.stop)
        data = os.path.join(run.folder, "data")
        shutil.rmtree(data, ignore_errors=True)
        shutil.copytree(DATA, data)
        damage(data)
        run.start(host.title)
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", 20000))
        return run


if __name__ == "__main__":
    unittest.main()
