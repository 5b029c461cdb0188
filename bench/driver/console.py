"""The console's measurements (generator type 15, our link component, the type-15
simulator and, in Model 1, the parallel port double): exposure cycles made with the
simulator's hand switch, from which come the release latency, the link's answer times
and the memory the cycles leave behind; and the CPU of a charged console idling,
against the baseline timers (bench/timers).

Clocks: the simulator stamps what it sends and receives with time.monotonic(), the
port double its writes with the wall clock in ms, hostsim its records with the wall
clock in µs; all are turned into wall-clock seconds here."""

import os
import random
import shutil
import time

import cpu
import processes
from console15 import PORT_DOUBLE, ConsoleRig
from linkline import Call
from portfile import read_write_log, windows_path

POLL_MS = 10  # DelayCheck: the hand switch's poll period in both models
KEYS = {"EnableDebug": 0, "DelayCheck": POLL_MS}
CONSOLE_HOST = "Bench Host C"
STANDING, FIRST_STAGE, SECOND_STAGE = "30", "20", "00"
RELEASE_CALL = Call(57, ("00", "00"))
LINK_ANSWER = Call(58, ("55",))
VALUE_KIND = 114  # the actual mAs to the host

# The simulator answers quickly, so that a cycle is short. X-ray End OK comes late in
# the cycles the hand switch ends, early in the others ("full" cycles).
HELD_RS07_MS = 3000
FULL_RS07_MS = 50
DELAYS = {"RS05": 20, "RS06": 10, "R102": 5, "R103": 5, "R201": 5}
LINK_EVERY = 0.5  # seconds between the simulator's LINK reports
FULL_EVERY = 10  # every tenth cycle runs to X-ray End OK
HOLD = (0.02, 0.06)  # seconds the second stage is held before letting go (random)
SETTLE = 0.08  # seconds at standing between cycles
MEMORY_EVERY = 100  # cycles between two looks at the program's memory

# The console's own periods for its answers (ms): a LINK is answered after 100 ms, an
# exposure released 500 ms after X-ray End OK, the feedback reported after R201.
LINK_ANSWER_MS = 100
EXPOSURE_END_MS = 500
FEEDBACK_MS = {1: 1000, 2: 100}


class CycleFailed(RuntimeError):
    pass


def _wall(monotonic_seconds):
    return monotonic_seconds + time.time() - time.monotonic()


class PortWrites:
    """The port double's write log, read as it grows."""

    def __init__(self, path, base=0x378):
        self.path = path
        self.base = base
        self.seen = 0

    def release_after(self, since, timeout=5):
        """Wall-clock seconds of the first write of a released data register (both lines
        high) at or after `since` (the log has whole ms: `since` is taken down to one)."""
        deadline = time.monotonic() + timeout
        since_ms = int(since * 1000)
        while time.monotonic() < deadline:
            writes = read_write_log(self.path) if os.path.exists(self.path) else []
            for ms, address, value in writes[self.seen :]:
                if address == self.base and value & 0x03 == 0x03 and ms >= since_ms:
                    self.seen = len(writes)
                    return ms / 1000.0
            time.sleep(0.002)
        raise CycleFailed("the port was not released")


class Cycles:
    """Exposure cycles on one console; collects the figures (ms) and memory (kB)."""

    def __init__(self, rig, model, host):
        self.rig = rig
        self.model = model
        self.gen = rig.generator
        self.host = host
        self.port = PortWrites(rig.port_log) if model == 1 else None
        self.random = random.Random(15)
        self.figures = {"release": [], "link": [], "exposure_end": [], "feedback": []}
        self.memory = []  # (cycles done, resident kB)
        self.failure = None  # what stopped the cycles, if one failed

    def run(self, count):
        """Runs `count` cycles, or up to the first that fails (`failure` then says which
        and why: the figures gathered so far are kept)."""
        for number in range(count):
            if number % MEMORY_EVERY == 0:
                self.memory.append((number, processes.resident_kb(self.rig.run.pid)))
            try:
                self.one(full=number % FULL_EVERY == FULL_EVERY - 1)
            except CycleFailed as failed:
                self.failure = "cycle %d of %d: %s" % (number + 1, count, failed)
                return
        self.memory.append((count, processes.resident_kb(self.rig.run.pid)))

    def one(self, full):
        gen = self.gen
        with gen.changed:
            gen.delays["RS07"] = FULL_RS07_MS if full else HELD_RS07_MS
        gen.clear()
        start = time.monotonic()
        gen.set_hand_switch(FIRST_STAGE)
        self.sent(["RS05"], start)
        gen.set_hand_switch(SECOND_STAGE)
        self.sent(["RS06"], start)
        if full:
            self.exposure_to_its_end(start)
        else:
            time.sleep(self.random.uniform(*HOLD))
            leave = self.move_switch(STANDING)
            self.figures["release"].append((self.released(leave) - leave) * 1000)
        time.sleep(SETTLE)
        self.link_answers()

    def exposure_to_its_end(self, start):
        """X-ray End OK, the release 500 ms later, the feedback to the host; then standing."""
        rs07 = _wall(self.sent(["RS07"], start))
        self.figures["exposure_end"].append((self.released(rs07) - rs07) * 1000)
        r201 = _wall(self.sent(["R201"], start))
        self.figures["feedback"].append((self.host_value_after(r201) - r201) * 1000)
        self.move_switch(STANDING)

    def move_switch(self, position):
        """Moves the hand switch; the wall-clock time the program could first see it:
        Model 1, when the status register has been written; Model 2, when the HS
        report has been (the simulator also repeats it every few seconds)."""
        before = time.monotonic()
        self.gen.set_hand_switch(position)
        if self.model == 1:
            return time.time()
        report = self.gen.wait_for(
            lambda s: s.code == "HS" and s.fields[3:] == [position] and s.time >= before, 5, self.gen.sent
        )
        return _wall(report.time)

    def released(self, since):
        if self.model == 1:
            return self.port.release_after(since)
        found = self.gen.wait_for(lambda r: r.call == RELEASE_CALL and _wall(r.time) >= since, 5)
        if found is None:
            raise CycleFailed("no release call")
        return _wall(found.time)

    def sent(self, codes, since, timeout=5):
        found = self.gen.wait_for(lambda s: s.code in codes and s.time >= since, timeout, self.gen.sent)
        if found is None:
            raise CycleFailed("the simulator sent no %s" % "/".join(codes))
        return found.time

    def host_value_after(self, since, timeout=5):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for record in self.host.taken("RECV"):
                if record.kind == VALUE_KIND and record.ns / 1e9 >= since:
                    self.host.clear()
                    return record.ns / 1e9
            time.sleep(0.005)
        raise CycleFailed("no actual mAs reached the host")

    def link_answers(self):
        """Each LINK of this cycle to the first link-check answer after it."""
        with self.gen.changed:
            links = [s.time for s in self.gen.sent if s.code == "LINK"]
            answers = [r.time for r in self.gen.received if r.call == LINK_ANSWER]
        for link in links:
            later = [a for a in answers if a >= link]
            if later:
                self.figures["link"].append((later[0] - link) * 1000)


def _console(rig, model, **settings):
    """A charged console of `model` (the generator's RS04, then the charge completion)."""
    folder = rig.folder("console%d" % model)
    console = ConsoleRig(rig.prefix, folder, _quiet, time.monotonic(), model=model, keys=KEYS, **settings)
    rig.add_cleanup(console.close)
    return console


def _quiet(_text):
    pass


def _wait_charged(console):
    if console.generator.wait_for_sent("RS04", 30) is None:
        raise RuntimeError("the console did not charge")
    time.sleep(1.5)  # the charge completion, a second after RS04


def exposure_cycles(rig, model, count):
    """`count` exposure cycles on a charged console; returns the figures, the memory and
    what stopped the cycles early (None when all ran)."""
    host = rig.host(CONSOLE_HOST, "Relvan")
    console = _console(rig, model, delays=DELAYS, link_every=LINK_EVERY)
    console.run.start(CONSOLE_HOST)
    rig.wait_window("Relvan")
    _wait_charged(console)
    cycles = Cycles(console, model, host)
    cycles.run(count)
    if not console.run.running():
        raise RuntimeError("relvan.exe ended during the cycles")
    return cycles.figures, cycles.memory, cycles.failure


def idle_pair(product_rig, baseline_rig, model, window):
    """CPU shares of a charged console of `model` idling (the simulator reports LINK
    and, in Model 2, the hand switch every 2 s, as a connected one does) and of its
    baseline timers, over the same `window` seconds, the two in rigs of different
    prefixes (each with its own wineserver)."""
    console = _console(product_rig, model)
    console.run.start()
    product_rig.wait_window("Relvan")
    _wait_charged(console)
    timers = _baseline_timers(baseline_rig, model)
    time.sleep(3.0)
    return cpu.shares_over_each(
        [(product_rig.prefix.path, console.run.pid, ()), (baseline_rig.prefix.path, timers.pid, ())], window
    )


def _baseline_timers(rig, model):
    """The baseline timers of `model` (bench/timers), started and shown."""
    folder = rig.folder("timers%d" % model)
    env = rig.prefix.env
    if model == 1:
        shutil.copyfile(PORT_DOUBLE, os.path.join(folder, "INPOUT32.dll"))
        env = dict(env, RELVAN_PORTSIM=windows_path(os.path.join(folder, "portsim.bin")))
    title = "Timers %d" % model
    process = rig.program(folder, ["timers.exe", str(model), str(POLL_MS), title], env)
    rig.wait_window(title)
    return process


