"""The console panel's end-to-end set-up, shared by the console test modules: the real
relvan.exe of type 15 under Wine on a screen, our link component registered in the
prefix, the type-15 generator simulator behind it on a pty, the parallel port double
and hostsim. Controls are used as an operator uses them: buttons clicked, lamps read
by their colour on screen, edits read by their text."""

import os
import re
import shutil
import time
import types

import tools
from harness import E2ETestCase
from linkline import Call
from portfile import windows_path
from ptypair import PtyPair
from relvanrun import RelvanRun
from screen import screen_prefix
from serialline import SerialLine
from type15 import Settings, Type15Generator
from wineprefix import REPO

LINK_COM = 7
LINK_CLASS = "{7127E44D-6E77-4C78-B2C9-502CB56EE693}"
DATA = os.path.join(REPO, "tools", "consoledata", "data")
START_TIMEOUT = 20

# The faces of the lamp bitmaps (res/lampbitmap.py).
LIT = (0, 200, 0)
UNLIT = (128, 128, 128)

TIME_EDIT = 1003  # the start value of the time step: 0.025 s

ITEM = re.compile(r"x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+) visible=(\d) enabled=(\d) text=(.*)")


class ConsoleTestCase(E2ETestCase):
    def setUp(self):
        self.prefix = screen_prefix()
        self.dir = os.path.join(self.prefix.root, "tests", self.id().split(".", 1)[-1])
        os.makedirs(self.dir, exist_ok=True)
        self.prefix.register_link_component(tools.BIN_DIR)
        self.epoch = time.time() - time.monotonic()  # the generator's clock to the port log's
        self._places = {}  # control id: its item (controls do not move)

    def console(self, model=2, host_title=None, port_double=True, path_double=False, link_port=LINK_COM,
                **settings):
        """The generator (started first: its link is up before power on), then relvan.exe
        with type 15 in a folder of its own with the sample data set; the port double
        beside it (port_double) or in a folder on the program's PATH (path_double); its
        link's port is `link_port` ("LinkPort": a number or a COM name)."""
        pair = PtyPair(self.dir, "link")
        self.addCleanup(pair.close)
        self.prefix.map_com_port(LINK_COM, pair.program_device)
        self.addCleanup(self.prefix.unmap_com_port, LINK_COM)
        line = SerialLine(pair.generator_link)
        self.addCleanup(line.close)

        folder = os.path.join(self.dir, "relvan")
        self.data = os.path.join(folder, "data")
        shutil.copytree(DATA, self.data)
        self.portsim = os.path.join(self.dir, "portsim.bin")
        self.port_log = os.path.join(self.dir, "portsim.log")
        env = dict(self.prefix.env, RELVAN_PORTSIM=windows_path(self.portsim))
        env["RELVAN_PORTSIM_LOG"] = windows_path(self.port_log)
        double = os.path.join(os.path.dirname(tools.BIN_DIR), "testbin", "inpout32.dll")
        if port_double:
            shutil.copyfile(double, os.path.join(folder, "INPOUT32.dll"))
        if path_double:
            on_path = os.path.join(self.dir, "onpath")
            os.makedirs(on_path, exist_ok=True)
            shutil.copyfile(double, os.path.join(on_path, "INPOUT32.dll"))
            env["WINEPATH"] = windows_path(on_path)

        settings = Settings(model=model, portsim=self.portsim if model == 1 else "", **settings)
        gen = self.generator(line, settings)

        keys = {"EnableDebug": 1, "Model": model, "LinkPort": link_port}
        ini = {"CONTROLPANNEL": {"TypeGen": 15}, "GENERATOR": keys}
        # RelvanRun takes the environment from the prefix it is given.
        run = RelvanRun(types.SimpleNamespace(env=env), folder, ini)
        self.addCleanup(run.stop)
        run.start(host_title)
        self.assertTrue(tools.wait_window(self.prefix, "Relvan", START_TIMEOUT * 1000))
        return run, gen

    def generator(self, line, settings):
        """A type-15 simulator started on `line`, its trace in gensim.txt."""
        log = open(os.path.join(self.dir, "gensim.txt"), "a")
        self.addCleanup(log.close)
        gen = Type15Generator(line, settings, out=self._printer(log))
        self.addCleanup(gen.stop)
        gen.start()
        return gen

    def charged(self, gen):
        """Waits for the charge completion: RS04, then 1 s later the time step shown."""
        self.sent(gen, "RS04", timeout=20)
        self.wait_text(TIME_EDIT, "0.025")

    # -- the panel as an operator sees it -------------------------------------------

    def item(self, control_id):
        code, text = tools.wintest(self.prefix, "item", "Relvan", control_id)
        self.assertEqual(code, 0, "no control %d" % control_id)
        x, y, w, h, visible, enabled, caption = ITEM.match(text.rstrip("\n")).groups()
        return types.SimpleNamespace(
            x=int(x), y=int(y), w=int(w), h=int(h), visible=visible == "1", enabled=enabled == "1", text=caption
        )

    def text(self, control_id):
        return self.item(control_id).text

    def click(self, control_id):
        self.assertEqual(tools.wintest(self.prefix, "click", "Relvan", control_id)[0], 0, "click %d" % control_id)

    def lamp(self, control_id):
        """The colour on screen in the middle of a lamp."""
        return self.lamps(control_id)[0]

    def lamps(self, *control_ids):
        """The colours of several lamps, read from one screen grab."""
        for control_id in control_ids:
            if control_id not in self._places:
                self._places[control_id] = self.item(control_id)
        grab = self.prefix.screen.grab()
        places = [self._places[control_id] for control_id in control_ids]
        return [grab.pixel(p.x + p.w // 2, p.y + p.h // 2) for p in places]

    def wait_lamp(self, control_id, colour, timeout=5):
        self.wait_lamps({control_id: colour}, timeout)

    def wait_lamps(self, expected, timeout=5):
        """Waits until every lamp of {id: colour} shows its colour."""
        ids = list(expected)
        want = [expected[i] for i in ids]
        deadline = time.monotonic() + timeout
        while self.lamps(*ids) != want and time.monotonic() < deadline:
            time.sleep(0.2)
        seen = dict(zip(ids, self.lamps(*ids)))
        self.assertEqual(seen, expected, "lamps (lit %s, unlit %s)" % (LIT, UNLIT))

    def wait_text(self, control_id, text, timeout=5):
        deadline = time.monotonic() + timeout
        while self.text(control_id) != text and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(self.text(control_id), text, "control %d" % control_id)

    # -- the generator's side ---------------------------------------------------------

    def call(self, gen, call_id, args=None, timeout=10):
        """When the generator received the call (an id and its arguments, or a Call)."""
        if isinstance(call_id, Call):
            call_id, args = call_id.id, call_id.args
        received = gen.wait_for_call(call_id, args, timeout)
        self.assertIsNotNone(received, "no CALL %d %s; calls: %s" % (call_id, args or "", gen.calls()))
        return received.time

    def answer_after(self, gen, since, timeout=5):
        """When the generator received 58 "55" at or after `since` (an answer to an
        earlier LINK may still arrive after the calls were cleared)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for received in list(gen.received):
                if received.call is not None and received.call.id == 58 and received.time >= since:
                    return received.time
            time.sleep(0.01)
        self.fail("no CALL 58 55 after the LINK; calls: %s" % gen.calls())

    def sent(self, gen, code, timeout=10):
        sent = gen.wait_for_sent(code, timeout)
        self.assertIsNotNone(sent, "the generator sent no %s" % code)
        return sent.time

    @staticmethod
    def calls(gen):
        """The calls since the last gen.clear(), without the link checks' answers."""
        return [call for call in gen.calls() if call.id != 58]

    def assertCalls(self, gen, expected, timeout=10):
        """The calls since the last gen.clear() are `expected` (waits for as many)."""
        deadline = time.monotonic() + timeout
        while len(self.calls(gen)) < len(expected) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(self.calls(gen), expected)

    def assertAfter(self, later, earlier, seconds, slack=0.5):
        """`later` came `seconds` after `earlier`, give or take the time the messages take."""
        took = later - earlier
        self.assertTrue(seconds - 0.05 <= took < seconds + slack, "%.3f s instead of %.3f s" % (took, seconds))
