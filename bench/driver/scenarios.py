"""The measurements. Each takes a Rig (bench/driver/rig.py), sets up what it needs,
and returns plain numbers; run_bench.py turns them into RESULTS.md."""

import re
import time

import cpu
import framing
from stats import intervals
from wire import BenchLine

BAUD = {11: 19200, 13: 57600, 17: 38400}
BITS_PER_CHAR = {11: 11, 13: 10, 17: 10}  # 8N2 and 8N1: start + 8 data + stop bits
NUMBER = re.compile(r"(\d+)$")
PRODUCT_HOST, BASELINE_HOST, PER_BYTE_HOST = "Bench Host P", "Bench Host B", "Bench Host Y"


def ini(gen_type, com_port=5, **keys):
    generator = {"COMPORT": com_port, "BaudRate": BAUD.get(gen_type, 19200), "EnableDebug": 0}
    generator.update(keys)
    return {"CONTROLPANNEL": {"TypeGen": gen_type}, "GENERATOR": generator}


def frame(gen_type, text):
    return framing.build_frame(gen_type, text.encode("latin-1"), b"A")


def _ms(ns):
    return ns / 1e6


# -- latency: host to wire and wire to host, product and baselines interleaved -----

# The sides of a latency run: the product, the baseline relay, and the relay that
# hands each received byte to its window's thread as one message ("per-byte").
SIDES = ("product", "baseline", "per-byte")


def latency(rig, gen_type, samples, gap=0.04):
    lines = {side: BenchLine(rig.line(port), gen_type) for side, port in zip(SIDES, (5, 6, 7))}
    hosts = {
        "product": rig.host(PRODUCT_HOST, "Relvan"),
        "baseline": rig.host(BASELINE_HOST, "Relay"),
        "per-byte": rig.host(PER_BYTE_HOST, "Relay per byte"),
    }
    rig.relvan(ini(gen_type, UseMiniConsole=0), PRODUCT_HOST)
    rig.relay(gen_type, 6, "Relay", BASELINE_HOST)
    rig.relay(gen_type, 7, "Relay per byte", PER_BYTE_HOST, mode="per-byte")
    for title in ("Relvan", "Relay", "Relay per byte"):
        rig.wait_window(title)
    time.sleep(2.0)  # start-up traffic (type 11: start-up bytes and the first ST)
    try:
        result = {}
        for side in lines:
            lines[side].clear()
            hosts[side].clear()
        for i in range(samples):
            for side in SIDES:
                hosts[side].send("send KV%d" % i)
                time.sleep(gap)
        time.sleep(1.0)
        for side in lines:
            result[(side, "host_to_wire")] = _host_to_wire(hosts[side], lines[side])
            lines[side].clear()
            hosts[side].clear()
        written = {side: {} for side in SIDES}
        for i in range(samples):
            for side in SIDES:
                written[side][i] = lines[side].write(frame(gen_type, "KV%d" % i))
                time.sleep(gap)
        time.sleep(1.0)
        for side in lines:
            result[(side, "wire_to_host")] = _wire_to_host(hosts[side], written[side])
        return result
    finally:
        for line in lines.values():
            line.close()


def _host_to_wire(host, line):
    sent = {s.text: s.ns for s in host.taken("SENT")}
    return [_ms(a.ns - sent[a.frame.text]) for a in line.commands() if a.frame.text in sent]


def _wire_to_host(host, written):
    """`written`: reply number -> time stamp of its last byte written."""
    latencies = []
    for record in host.taken("RECV"):
        match = NUMBER.search(record.text)
        if match and int(match.group(1)) in written:
            latencies.append(_ms(record.ns - written.pop(int(match.group(1)))))
    return latencies


# -- idle cost and cadence ------------------------------------------------------------


def warm_up(rig):
    """Starts the product and the relay once each and lets them settle: a program's
    first start in a prefix leaves Wine work going on for a while after it (seen as
    some tenths of a percent of a core over the next minute) that is no part of any
    state."""
    lines = [BenchLine(rig.line(port), 11) for port in (5, 6)]
    rig.host(PRODUCT_HOST, "Relvan")
    rig.relvan(ini(11), PRODUCT_HOST)
    rig.relay(11, 6, "Relay", PRODUCT_HOST, "poll")
    for title in ("Relvan", "Relay"):
        rig.wait_window(title)
    time.sleep(10.0)
    for line in lines:
        line.close()


class IdleRun:
    """One steady state started in a rig: its line, program and host simulator."""

    def __init__(self, rig, state):
        self.rig = rig
        self.setup = STATES[state]
        gen_type = self.setup["type"]
        self.line = BenchLine(rig.line(5), gen_type if gen_type in BAUD else 11, self.setup.get("answer"))
        self.host = rig.host(PRODUCT_HOST, self.setup.get("target", "Relvan"))
        if "relay" in self.setup:
            self.program = rig.relay(gen_type, 5, "Relay", PRODUCT_HOST, self.setup["relay"])
            rig.wait_window("Relay")
        else:
            self.program = rig.relvan(self.setup["ini"], PRODUCT_HOST).process
            rig.wait_window("Relvan")

    def measured(self):
        return (self.rig.prefix.path, self.program.pid, {self.host.process.pid})


def idle_pair(product_rig, baseline_rig, state, window):
    """CPU shares of `state` and of its baseline over the same `window` seconds, the two
    in rigs of different prefixes (each with its own wineserver), and the cadence
    samples (ms) of the state."""
    runs = []
    try:
        for rig, name in ((product_rig, state), (baseline_rig, STATES[state]["baseline"])):
            runs.append(IdleRun(rig, name))
        time.sleep(max(run.setup.get("warmup", 3.0) for run in runs))
        for run in runs:
            run.line.clear()
        product, baseline = cpu.shares_over_each([run.measured() for run in runs], window)
        cadence = runs[0].setup["cadence"](runs[0].line) if "cadence" in runs[0].setup else []
        return product, baseline, cadence
    finally:
        for run in runs:
            run.line.close()


def _answer_first(count, reply):
    """Answers the first `count` commands with `reply` (bytes), then stays silent."""
    answered = [0]

    def answer(frame):
        if frame.kind != "command" or answered[0] >= count:
            return None
        answered[0] += 1
        return reply

    return answer


def _answer_all(reply):
    return lambda frame: reply if frame.kind == "command" else None


def _command_intervals(line):
    return intervals([_ms(a.ns) for a in line.commands()])


def _reply_to_next_command(line, starts_anew=lambda text: False):
    """From the end of each reply written to the next command that arrives; commands
    for which `starts_anew(text)` holds start a new sequence and are left out."""
    commands = [(a.ns, a.frame.text) for a in line.commands()]
    gaps = []
    for written, _ in list(line.writes):
        following = [(ns, text) for ns, text in commands if ns > written]
        if following and not starts_anew(following[0][1]):
            gaps.append(_ms(following[0][0] - written))
    return gaps


# Each state of the product names its baseline: the relay polling at the same cadence
# on the same line, writing the same frames and reading the same replies, with no
# protocol logic ("poll"), or, for a program that opens no port, the plain relay
# waiting in its one-byte read (None). A baseline state is measured like the others.
STATES = {
    "type 11 polling a silent generator": {
        "type": 11,
        "ini": ini(11),
        "answer": _answer_first(1, frame(11, "KV70 MA100")),
        "cadence": _command_intervals,
        "baseline": "baseline polling at type 11's cadence, silent generator",
    },
    "type 11 polling an answering generator": {
        "type": 11,
        "ini": ini(11),
        "answer": _answer_all(frame(11, "KV70 MA100")),
        "cadence": _reply_to_next_command,
        "baseline": "baseline polling at type 11's cadence, answering generator",
    },
    "type 13 polling": {
        "type": 13,
        "ini": ini(13),
        "answer": _answer_all(frame(13, "A1C1OK")),
        "cadence": _reply_to_next_command,
        "baseline": "baseline polling at type 13's cadence",
    },
    "type 17 mini-console reconnecting": {
        "type": 17,
        "ini": ini(17, UseMiniConsole=1),
        "warmup": 11.5,  # the first R waits 10 s for its answer, then R every 500 ms
        "cadence": _command_intervals,
        "baseline": "baseline polling at type 17's cadence",
    },
    "default type, tray icon only": {
        "type": 0,
        "ini": ini(0),
        "baseline": "baseline relay, the same one-byte read pending",
    },
    "baseline polling at type 11's cadence, silent generator": {
        "type": 11,
        "relay": "poll",
        "target": "Relay",
        "answer": _answer_first(1, frame(11, "KV70 MA100")),
    },
    "baseline polling at type 11's cadence, answering generator": {
        "type": 11,
        "relay": "poll",
        "target": "Relay",
        "answer": _answer_all(frame(11, "KV70 MA100")),
    },
    "baseline polling at type 13's cadence": {
        "type": 13,
        "relay": "poll",
        "target": "Relay",
        "answer": _answer_all(frame(13, "A1C1OK")),
    },
    "baseline polling at type 17's cadence": {"type": 17, "relay": "poll", "target": "Relay"},
    "baseline relay, the same one-byte read pending": {"type": 11, "relay": None, "target": "Relay"},
}


# -- parameter-list steps (type 17, Interval key) --------------------------------------


def parameter_steps(rig, lists, interval_ms):
    reply = framing.ACK17 + frame(17, "OK")
    line = BenchLine(rig.line(5), 17, _answer_all(reply))
    host = rig.host(PRODUCT_HOST, "Relvan")
    rig.relvan(ini(17, UseMiniConsole=0, Interval=interval_ms), PRODUCT_HOST)
    rig.wait_window("Relvan")
    try:
        time.sleep(1.0)
        line.clear()
        for _ in range(lists):
            host.send("list 80;1;5;123;456;789;1234;12")
            time.sleep(1.5)
        # The first step of a list follows the host's list command, not a reply.
        return _reply_to_next_command(line, lambda text: text.startswith("DM"))
    finally:
        line.close()


# -- sustained replies --------------------------------------------------------------------


def sustained(rig, gen_type, seconds):
    """Streams numbered replies paced at the line's byte rate; checks what the host got."""
    line = BenchLine(rig.line(5), gen_type)
    host = rig.host(PRODUCT_HOST, "Relvan")
    rig.relvan(ini(gen_type, UseMiniConsole=0), PRODUCT_HOST)
    rig.wait_window("Relvan")
    try:
        time.sleep(2.0)
        host.clear()
        rate = BAUD[gen_type] / BITS_PER_CHAR[gen_type]
        expected, started, written_bytes, n = [], time.monotonic(), 0, 0
        while time.monotonic() - started < seconds:
            text, host_text = _sustained_reply(gen_type, n)
            n += 1
            data = frame(gen_type, text)
            pause = started + written_bytes / rate - time.monotonic()
            if pause > 0:
                time.sleep(pause)
            line.line.write(data)
            written_bytes += len(data)
            expected.append(host_text)
        elapsed = time.monotonic() - started
        _wait_until_quiet(host, len(expected))
        return _check_sustained(gen_type, expected, host.taken("RECV"), written_bytes / elapsed / rate)
    finally:
        line.close()


def _wait_until_quiet(host, expected, quiet=3.0, limit=60.0):
    """Waits until the host has every reply, or has got nothing new for `quiet`
    seconds: replies still queued in the pty when the stream ends are counted too."""
    deadline = time.monotonic() + limit
    count, changed = -1, time.monotonic()
    while time.monotonic() < deadline:
        now = host.count("RECV")
        if now >= expected:
            return
        if now != count:
            count, changed = now, time.monotonic()
        elif time.monotonic() - changed >= quiet:
            return
        time.sleep(0.2)


def _sustained_reply(gen_type, n):
    """Reply n's text and what the host should get for it. About one type-11 reply in
    256 has a checksum byte of NAK (0x15), and one type-17 reply in 256 one of ETX:
    both must get through like any other."""
    if gen_type == 11:
        return ("KV%d" if n % 2 == 0 else "MA%d") % n, (n % 2, str(n))
    return "SEQ%d" % n, (0, "SEQ%d" % n)


def _check_sustained(gen_type, expected, records, load):
    """Counts the replies that arrived intact and in order."""
    got = [(r.index, r.text) for r in records]
    in_order = 0
    for want, have in zip(expected, got):
        if want != have:
            break
        in_order += 1
    return {
        "sent": len(expected),
        "received": len(records),
        "in_order": in_order,
        "line_load": load,
        "first_bad": None if in_order == len(got) else (in_order, expected[in_order] if in_order < len(expected) else None, got[in_order]),
    }
