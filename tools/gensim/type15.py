"""A type-15 generator on the far end of the link component's serial line.

It reads the program's CALL lines (and in Model 1 watches the data register of the port
double's I/O space file), prints each one, and answers from the rule table of
type15rules with EVENT lines, printed too. While it runs it reports LINK "55" every few
seconds (and, in Model 2, the hand switch HS), as a connected generator does from
before power on to after power off, and it plays the scripted actions of type15script.
"""

import heapq
import itertools
import threading
import time
from collections import Counter
from dataclasses import dataclass, field

import linkline
import type15rules as rules
from portfile import IDLE, PortFile

PORT_POLL = 0.02  # seconds between looks at the port's data register (Model 1)
LINE_QUIET = 0.01  # seconds without link data that end a port step's wait for calls


@dataclass
class Settings:
    model: int = 2
    portsim: str = ""  # the port double's I/O space file; Model 1 needs it
    port_address: int = 0x378
    link_every: float = 2.0  # seconds between LINK reports; 0: none
    hs_every: float = 2.0  # Model 2: seconds between HS reports; 0: none
    values: dict = field(default_factory=dict)  # reply code: values, over type15rules.VALUES
    delays: dict = field(default_factory=dict)  # reply code: ms, over type15rules.DELAYS
    script: list = field(default_factory=list)  # type15script.Scripted


@dataclass
class Received:
    time: float
    step: str  # "CALL 57 01 00", "PORT FD", "PORT released"
    call: linkline.Call = None


@dataclass
class Sent:
    time: float
    fields: list  # ["EVENT", "6", "PS", "01"]

    @property
    def code(self):
        return self.fields[2] if len(self.fields) > 2 else ""


class Type15Generator:
    def __init__(self, line, settings=None, out=None, name="gen15"):
        self.line = line
        self.settings = settings or Settings()
        self.model = self.settings.model
        if self.model == 1 and not self.settings.portsim:
            raise ValueError("Model 1 needs the port double's I/O space file (--portsim)")
        self.port = PortFile(self.settings.portsim, self.settings.port_address) if self.model == 1 else None
        self.out = out if out is not None else (lambda text: print(text, flush=True))
        self.name = name
        self.rules = rules.rules_for(self.model)
        self.progress = [Counter() for _ in self.rules]
        self.values = dict(rules.VALUES, **self.settings.values)
        self.delays = dict(rules.DELAYS, **self.settings.delays)
        self.hand_switch = "30"
        self.answering = True
        self.reporting = True
        self.link_unanswered = False
        self.reader = linkline.LineReader()
        self.received = []  # Received, in order
        self.sent = []  # Sent, in order
        self.changed = threading.Condition(threading.RLock())
        self.start_time = time.monotonic()
        self._pending = []  # heap of (due, sequence, group, action)
        self._sequence = itertools.count()
        self._anchored = [s for s in self.settings.script if s.anchor]
        self._data = IDLE
        self._next_poll = 0.0
        self._stop = threading.Event()
        self._thread = None

    # -- running -----------------------------------------------------------------

    def start(self):
        if self.port:
            self.port.ensure()
        self.start_time = time.monotonic()
        self._log("model %d generator ready" % self.model)
        with self.changed:
            self._every(self.settings.link_every, "LINK")
            if self.model == 2:
                self._every(self.settings.hs_every, "HS")
            for scripted in self.settings.script:
                if scripted.at is not None:
                    self._schedule(scripted.at, None, lambda s=scripted: self.perform(s.name, s.args))
        self._thread = threading.Thread(target=self._run, name=self.name, daemon=True)
        self._thread.start()
        return self

    def stop(self):
        self._stop.set()
        if self._thread is not None:
            self._thread.join(timeout=2)

    def _run(self):
        while not self._stop.is_set():
            data = self.line.read(self._wait())
            with self.changed:
                self._take_lines(data)
                self._watch_port()
                self._run_due()

    def _take_lines(self, data):
        dropped = self.reader.dropped
        for raw in self.reader.feed(data):
            self._take_line(raw)
        if self.reader.dropped > dropped:
            self._log("<- (a line over %d bytes, dropped)" % linkline.MAX_LINE)

    def _wait(self):
        wait = PORT_POLL if self.port else 0.05
        with self.changed:
            if self._pending:
                wait = min(wait, self._pending[0][0] - time.monotonic())
        return max(wait, 0)

    def _schedule(self, delay, group, action):
        heapq.heappush(self._pending, (time.monotonic() + delay, next(self._sequence), group, action))

    def _run_due(self):
        while self._pending and self._pending[0][0] <= time.monotonic():
            action = heapq.heappop(self._pending)[3]
            action()

    def _every(self, seconds, code):
        def report():
            if self.answering and self.reporting:
                self.send(code)
            self._schedule(seconds, "report", report)

        if seconds > 0:
            self._schedule(seconds, "report", report)

    # -- what the program does ---------------------------------------------------

    def _take_line(self, raw):
        fields = linkline.split_line(raw)
        call = linkline.Call.parse(fields)
        if call is None:
            self._log("<- (not a call) " + linkline.describe(fields))
            return
        self._log("<- " + call.text())
        self._record(Received(time.monotonic(), call.text(), call))
        if call == linkline.Call(58, ("55",)):
            self.link_unanswered = False
        self._anchor("CALL%d" % call.id)
        self._step(call.text())

    def _watch_port(self):
        if not self.port or time.monotonic() < self._next_poll:
            return
        self._next_poll = time.monotonic() + PORT_POLL
        value = self.port.data()
        if value == self._data:
            return
        self._data = value
        seen = time.monotonic()
        # The calls the program made before this write may still be on their way
        # through the pty pair: take them first, so that steps keep the program's order.
        self._take_lines(self.line.drain(LINE_QUIET))
        self._log("port %04X = %02X" % (self.port.base, value))
        step = rules.port_step(value)
        self._record(Received(seen, step))
        self._step(step)

    def _step(self, step):
        """Counts the step for every rule that waits for it and fires the rules it completes."""
        if not self.answering:
            return
        for index, rule in enumerate(self.rules):
            seen = self.progress[index]
            if seen[step] < rule.steps.count(step):
                seen[step] += 1
                if sum(seen.values()) == len(rule.steps):
                    seen.clear()
                    self._fire(rule)

    def _fire(self, rule):
        delay = 0.0
        for reply in rule.replies:
            if reply == rules.RELEASE:
                self._drop({"xray"})
            elif reply == rules.POWER_DOWN:
                self._drop({"power", "charge", "xray"})
            else:
                delay += self.delays.get(reply, 0) / 1000.0
                self._schedule(delay, rule.group, lambda code=reply: self._reply(code))

    def _reply(self, code):
        if self.answering:
            self.send(code)

    def _drop(self, groups):
        """Forgets what the rules of these groups have seen and their waiting replies."""
        for index, rule in enumerate(self.rules):
            if rule.group in groups:
                self.progress[index].clear()
        self._pending = [item for item in self._pending if item[2] not in groups]
        heapq.heapify(self._pending)

    # -- what the generator does -------------------------------------------------

    def send(self, code, values=None):
        """Sends reply `code` with `values` (by default its usual ones) now."""
        if values is None:
            values = (self.hand_switch,) if code == "HS" else self.values.get(code, ())
        with self.changed:
            if code == "LINK":
                if self.link_unanswered:
                    self._log("!! the last LINK 55 got no CALL 58 55")
                self.link_unanswered = True
            self.send_event(rules.EVENT_OF[code], code, *values)
            self._anchor(code)

    def send_event(self, event_id, *args):
        fields = ["EVENT", str(event_id)] + list(args)
        with self.changed:
            self.line.write(linkline.join_line(fields))
            self._log("-> " + linkline.describe(fields))
            self.sent.append(Sent(time.monotonic(), fields))
            self.changed.notify_all()

    def perform(self, name, args=()):
        """One scripted action (type15script lists them)."""
        with self.changed:
            self._log("script %s:%s" % (name, ",".join(args)) if args else "script " + name)
            if name == "silence":
                self.answering = self.reporting = False
            elif name == "nolink":
                self.reporting = False
            elif name == "resume":
                self.answering = self.reporting = True
            elif name in ("error", "check"):
                self.send("R104", args)
            elif name == "htreset":
                self.send("R105")
            elif name == "hs":
                self.set_hand_switch(args[0])
            elif name == "send":
                self.send(args[0])
            elif name == "event":
                self.send_event(*args)

    def set_hand_switch(self, value):
        """Model 2: reports HS `value` now and from then on; Model 1: sets bits 0x30 of
        the status register to the hex `value`."""
        with self.changed:
            if self.model == 2:
                self.hand_switch = value
                self.send("HS")
            else:
                self.port.set_hand_switch(int(value, 16))
                self._log("port %04X := %02X" % (self.port.base + 1, self.port.read(self.port.base + 1)))

    def _anchor(self, name):
        for scripted in [s for s in self._anchored if s.anchor == name]:
            self._anchored.remove(scripted)
            self._schedule(scripted.offset, None, lambda s=scripted: self.perform(s.name, s.args))

    def _record(self, item):
        self.received.append(item)
        self.changed.notify_all()

    def _log(self, text):
        self.out("[%8.3f] %s %s" % (time.monotonic() - self.start_time, self.name, text))

    # -- for tests ---------------------------------------------------------------

    def wait_for(self, predicate, timeout, items=None):
        """The first received step (or sent event, with items=self.sent) for which
        predicate holds, or None after timeout."""
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for item in self.received if items is None else items:
                    if predicate(item):
                        return item
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.changed.wait(left)

    def wait_for_call(self, call_id, args=None, timeout=5):
        return self.wait_for(
            lambda r: r.call is not None and r.call.id == call_id and (args is None or r.call.args == tuple(args)),
            timeout,
        )

    def wait_for_sent(self, code, timeout=5):
        return self.wait_for(lambda s: s.code == code, timeout, self.sent)

    def calls(self):
        with self.changed:
            return [r.call for r in self.received if r.call is not None]

    def clear(self):
        with self.changed:
            self.received.clear()
            self.sent.clear()
