"""The program killed while the console saves: the shift Save (ref_data.dat) and the
pre-heat SAVE (step_ma.dat), each replacing its file in one step. Every cycle starts the
real relvan.exe (type 15, Model 2) on a fresh copy of the sample data, waits for the
charge (the simulator charges it), then clicks kV shift UP (1035), Save (1043),
pre-heat UP (1012) and SAVE (1015) as an operator does, and kills the Wine process
(SIGKILL, no clean-up of any kind) meanwhile: in even cycles at a random moment of the
clicks (most kills land between two saves or before the first, some after both), in
odd cycles the moment a "<file>.new" shows up beside either file, that is inside a
save, between the new content being written and the old file replaced. Afterwards each
file is either the old one or the new one byte for byte, never a mixture or a part.

One program start takes some ten seconds on Wine, so `make test` kills SAVE_KILLS
times (4); RELVAN_SAVE_KILLS=100 runs the hundred kills (about twenty minutes)."""

import os
import random
import signal
import threading
import time
import unittest

import tools
from consolecase import DATA, ConsoleTestCase

KV_SHIFT_UP, KV_SHIFT_SAVE, PREHEAT_UP, PREHEAT_SAVE = 1035, 1043, 1012, 1015
FILES = ("ref_data.dat", "step_ma.dat")
SAVE_KILLS = int(os.environ.get("RELVAN_SAVE_KILLS", "4"))
RANDOM_WINDOW = 3.0  # seconds from the first click over which random kills spread


def read(path):
    with open(path, "rb") as data:
        return data.read()


class SaveKillTest(ConsoleTestCase):
    def test_killed_during_the_saves(self):
        base = self.dir
        old = {name: read(os.path.join(DATA, name)) for name in FILES}
        new = self.reference_cycle(base)
        for name in FILES:
            self.assertNotEqual(old[name], new[name], name)
        chance = random.Random(11)
        inside = 0
        for cycle in range(1, SAVE_KILLS + 1):
            self.dir = os.path.join(base, "cycle%d" % cycle)
            os.makedirs(self.dir)
            run, gen = self.console(model=2, port_double=False)
            self.charged(gen)
            if cycle % 2 == 0:
                killer = threading.Timer(chance.uniform(0, RANDOM_WINDOW), os.kill, (run.pid, signal.SIGKILL))
            else:
                killer = threading.Thread(target=self.kill_inside_a_save, args=(run,))
            killer.start()
            self.click_saves()
            killer.join(timeout=RANDOM_WINDOW + 10)
            if run.running():
                os.kill(run.pid, signal.SIGKILL)
            self.assertIsNotNone(run.wait_exit(20))
            self.wait_gone()
            inside += getattr(self, "_caught", False)
            self._caught = False
            for name in FILES:
                content = read(os.path.join(self.data, name))
                self.assertIn(content, (old[name], new[name]), "cycle %d: %s torn" % (cycle, name))
            gen.stop()
        print("%d kills, %d inside a save" % (SAVE_KILLS, inside))

    def reference_cycle(self, base):
        """A cycle whose saves complete: the new contents, then the kill."""
        self.dir = os.path.join(base, "reference")
        os.makedirs(self.dir)
        run, gen = self.console(model=2, port_double=False)
        self.charged(gen)
        before = {name: read(os.path.join(self.data, name)) for name in FILES}
        self.click_saves()
        deadline = time.monotonic() + 10
        while any(read(os.path.join(self.data, n)) == before[n] for n in FILES):
            self.assertLess(time.monotonic(), deadline, "the saves did not change the files")
            time.sleep(0.1)
        self.assertFalse([n for n in os.listdir(self.data) if n.endswith(".new")])
        os.kill(run.pid, signal.SIGKILL)
        run.wait_exit(20)
        self.wait_gone()
        gen.stop()
        return {name: read(os.path.join(self.data, name)) for name in FILES}

    def wait_gone(self):
        """Until Wine has taken the killed program's window away: the next start must
        not meet it."""
        deadline = time.monotonic() + 20
        while tools.window_exists(self.prefix, "Relvan"):
            self.assertLess(time.monotonic(), deadline, "the killed program's window stays")
            time.sleep(0.2)

    def click_saves(self):
        # After a kill the window is gone and the clicks fail: their results are not asked.
        for control in (KV_SHIFT_UP, KV_SHIFT_SAVE, PREHEAT_UP, PREHEAT_SAVE):
            tools.wintest(self.prefix, "click", "Relvan", control)

    def kill_inside_a_save(self, run):
        fresh = [os.path.join(self.data, name + ".new") for name in FILES]
        deadline = time.monotonic() + RANDOM_WINDOW + 5
        while time.monotonic() < deadline and run.running():
            if any(os.path.exists(path) for path in fresh):
                os.kill(run.pid, signal.SIGKILL)
                self._caught = True
                return
        if run.running():
            os.kill(run.pid, signal.SIGKILL)


if __name__ == "__main__":
    unittest.main()
