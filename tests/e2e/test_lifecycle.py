"""Shutdown by WM_CLOSE and by the end of the Windows session per generator type, and no
busy waiting while idle."""

import time
import unittest

import tools
from harness import E2ETestCase, Faults, cpu_ticks, ini_for

START_TIMEOUT = 20
WM_ENDSESSION = 0x16


class CloseTest(E2ETestCase):
    def start_with_link(self, gen_type, **keys):
        self.generator(gen_type, self.serial(5), faults=Faults(silent=True))
        run = self.relvan(ini_for(gen_type, 5, **keys))
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", START_TIMEOUT * 1000))
        return run

    def test_wm_close_ends_the_serial_types(self):
        for gen_type, keys in [(11, {}), (13, {}), (17, {}), (17, {"UseMiniConsole": 1})]:
            with self.subTest(type=gen_type, **keys):
                run = self.start_with_link(gen_type, **keys)
                time.sleep(1)  # let the start-up timer run
                self.assertTrue(run.close_window())
                self.assertIsNotNone(run.wait_exit(10), "WM_CLOSE did not end type %d" % gen_type)

    def test_wm_close_is_ignored_by_the_default_type(self):
        run = self.relvan(ini_for(2))
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", START_TIMEOUT * 1000))
        self.assertTrue(run.close_window())
        self.assertIsNone(run.wait_exit(2))
        self.assertTrue(tools.window_exists(self.prefix, "Relvan"))
        # The end of the Windows session (WM_ENDSESSION, ending) ends every type.
        self.assertEqual(tools.wintest(self.prefix, "post", "Relvan", WM_ENDSESSION, 1, 0)[0], 0)
        self.assertIsNotNone(run.wait_exit(10))


class AboutBoxTest(E2ETestCase):
    def test_system_menu_item_16_opens_the_about_box_in_korean(self):
        run = self.relvan(ini_for(2))
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", START_TIMEOUT * 1000))
        caption = tools.choose_system_command(self.prefix, "Relvan", 16, 10000)
        self.assertEqual(caption, "Relvan \uc815\ubcf4")
        self.assertTrue(tools.window_exists(self.prefix, "Relvan"))
        run.stop()


class IdleTest(E2ETestCase):
    # Clock ticks of 10 ms over 5 s. The ports wait for bytes in a pending read, which
    # costs nothing (0 ticks measured for each type). A pending WaitCommEvent would cost
    # some 15 to 20 (Wine polls it every millisecond), a comm-event loop that spins about
    # 170, a busy GUI thread up to 500. The program's window thread (the process's
    # first thread) must stay all but idle.
    MAX_TICKS = 8
    MAX_WINDOW_THREAD_TICKS = 10

    def test_idle_program_with_an_open_port_uses_no_cpu(self):
        for gen_type in (11, 13, 17):
            with self.subTest(type=gen_type):
                self.generator(gen_type, self.serial(5), faults=Faults(silent=True))
                run = self.relvan(ini_for(gen_type, 5))
                self.assertLogged(run, "Connected generator port:5", timeout=START_TIMEOUT)
                time.sleep(2)  # past the start-up frames
                before = cpu_ticks(run.pid), cpu_ticks(run.pid, run.pid)
                time.sleep(5)
                used = cpu_ticks(run.pid) - before[0]
                window_thread = cpu_ticks(run.pid, run.pid) - before[1]
                self.assertLessEqual(used, self.MAX_TICKS, "type %d used %d ticks idling" % (gen_type, used))
                self.assertLessEqual(window_thread, self.MAX_WINDOW_THREAD_TICKS)
                run.stop()


if __name__ == "__main__":
    unittest.main()
