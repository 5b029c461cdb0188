#!/usr/bin/env python3
"""The Relvan demo: the real relvan.exe under Wine between a simulated imaging host
(hostsim.exe) and a simulated generator (gensim) on a pty serial line, with a
transcript of both sides, then the program's log.

  python3 tools/demo/demo.py --type 11|13|15|17

Type 15 shows the console panel's conversation through our link component: power on
at start-up, charge, the link checks, then a whole exposure with the hand switch (the
generator's operator presses it to the first stage, to the second after Ready UP OK,
and lets go after the exposure): the ready's settings, RS05 to RS07, the feedback report
whose actual mAs reaches the host as kind 114; then the host asks for the console's
settings (console command 111, kind 112) and powers off (console command 100 "2"), and
EXIT when the program is closed.
"""

import argparse
import os
import sys
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.path.insert(0, os.path.join(REPO, "tools", "gensim"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import processes  # noqa: E402
import tools  # noqa: E402
from host import HostSim  # noqa: E402
from ptypair import PtyPair  # noqa: E402
from relvanrun import RelvanRun  # noqa: E402
from serialline import SerialLine  # noqa: E402
from simulator import Generator, Reply  # noqa: E402
from console15 import LINK_COM, ConsoleRig  # noqa: E402
from type15script import parse_at  # noqa: E402
from wineprefix import shared_prefix  # noqa: E402

HOST_TITLE = "Demo Host"
COM_PORT = 5

# Per type: the generator's reply table and what the host does.
SCENARIOS = {
    11: {
        "replies": ["ST=KV70 MA100", "RS=RS0", "RR=RR1", "KV*=KV81 MA100", "PW*=PR1"],
        "host": ["sleep 1500", "send KV81", "sleep 800", "send PW1", "sleep 800"],
        "prefix": "A",
        "ini": {},
    },
    13: {
        "replies": ["BD1A=BD1A00", "A1C1=A1C100", "A1CB=A1CB07", "A1CD=A1CD11", "A1D0*=A1D0OK"],
        "host": ["sleep 2000", "send A1D0070", "sleep 1000", "cmd 1011", "sleep 800", "cmd 1012", "sleep 800"],
        "prefix": "A",
        "ini": {},
    },
    17: {
        "replies": ["R=RDY", "KV*=KV70", "D*=OK"],
        "host": ["sleep 1500", "send KV70", "sleep 800", "list 80;1;5;123;456;789;1234;99", "sleep 2500"],
        "prefix": "C",
        "ini": {"UseMiniConsole": 1},
    },
}

# Type 15: the hand switch as the generator's operator moves it, and the feedback of the
# exposure (kV 1F4 and mA 65 raw, 12.5 mAs: "kV FB DATA : 632 , mA FB DATA : 57 ,
# Actual mAs : 12.5 mAs").
CONSOLE_SETTINGS = {
    "values": {"R102": ("1F4",), "R103": ("65",), "R201": ("25", "1")},
    "script": [parse_at(rule) for rule in ("RS04+2=hs:20", "RS05+0.5=hs:00", "R201+1=hs:30")],
}
# What the host does once the exposure is over.
CONSOLE_HOST = ["sleep 1500", "console 111", "sleep 1000", "console 100 2", "sleep 1500"]

_print_lock = threading.Lock()
_start = time.monotonic()


def say(text):
    with _print_lock:
        print(text, flush=True)


def host_line(line):
    say("[%8.3f] host %s" % (time.monotonic() - _start, line))


def run_console_demo():
    say("== Relvan demo, generator type 15 (the console panel); starting Wine (a few seconds) ==")
    say("   (the console-state records, kind 113, carry their value in cbData without a block;")
    say("    between two programs Wine delivers such a record with cbData 0, so hostsim shows")
    say("    value=0 for \"charged\" too: on Windows it is 1)")
    prefix = shared_prefix()
    global _start
    _start = time.monotonic()
    rig = ConsoleRig(prefix, os.path.join(prefix.root, "demo"), say, _start, **CONSOLE_SETTINGS)
    host = HostSim(prefix, HOST_TITLE, out=host_line)
    say('-- relvan.exe "%s" (TypeGen=15, Model=2, link component on COM%d) --' % (HOST_TITLE, LINK_COM))
    rig.run.start(HOST_TITLE)
    if not tools.wait_window(prefix, "Relvan", 20000):
        say("relvan.exe did not open its window")
        return 1
    if not rig.generator.wait_for_sent("R201", 40):
        say("-- no exposure came --")
    for script_line in CONSOLE_HOST:
        if script_line.startswith("sleep "):
            time.sleep(int(script_line.split()[1]) / 1000.0)
        else:
            host.send(script_line)
    return finish(rig.run, [rig.close, host.close])


def finish(run, closers):
    say('-- closing the program (WM_CLOSE to "Relvan") --')
    run.close_window()
    code = run.wait_exit(10)
    say("-- relvan.exe %s --" % ("ended with code %d" % code if code is not None else "did not end; stopping it"))
    for close in closers:
        close()
    say("== log %s ==" % ", ".join(os.path.basename(p) for p in run.log_files()))
    say(run.log_bytes().decode("latin-1").replace("\r\n", "\n").rstrip("\n"))
    return 0


def run_demo(gen_type):
    if gen_type == 15:
        return run_console_demo()
    scenario = SCENARIOS[gen_type]
    say("== Relvan demo, generator type %d; starting Wine (a few seconds) ==" % gen_type)
    prefix = shared_prefix()
    global _start
    _start = time.monotonic()
    folder = os.path.join(prefix.root, "demo")
    os.makedirs(folder)
    pair = PtyPair(folder, "com%d" % COM_PORT)
    prefix.map_com_port(COM_PORT, pair.program_device)

    line = SerialLine(pair.generator_link)
    replies = [Reply.parse(rule) for rule in scenario["replies"]]
    generator = Generator(gen_type, line, replies, scenario["prefix"], name="generator").start()
    generator.start_time = _start
    host = HostSim(prefix, HOST_TITLE, out=host_line)

    keys = {"COMPORT": COM_PORT, "EnableDebug": 1}
    keys.update(scenario["ini"])
    run = RelvanRun(prefix, os.path.join(folder, "relvan"), {"CONTROLPANNEL": {"TypeGen": gen_type}, "GENERATOR": keys})
    say("-- relvan.exe \"%s\" (TypeGen=%d, COM%d) --" % (HOST_TITLE, gen_type, COM_PORT))
    run.start(HOST_TITLE)
    if not tools.wait_window(prefix, "Relvan", 20000):
        say("relvan.exe did not open its window")
        return 1
    for script_line in scenario["host"]:
        if script_line.startswith("sleep "):
            time.sleep(int(script_line.split()[1]) / 1000.0)
        else:
            host.send(script_line)

    say("-- closing the program (WM_CLOSE to \"Relvan\") --")
    run.close_window()
    code = run.wait_exit(10)
    say("-- relvan.exe %s --" % ("ended with code %d" % code if code is not None else "did not end; stopping it"))
    generator.stop()
    host.close()
    run.stop()
    say("== log %s ==" % ", ".join(os.path.basename(p) for p in run.log_files()))
    say(run.log_bytes().decode("latin-1").replace("\r\n", "\n").rstrip("\n"))
    pair.close()
    line.close()
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--type", type=int, choices=sorted(list(SCENARIOS) + [15]), default=11)
    args = parser.parse_args()
    try:
        return run_demo(args.type)
    finally:
        processes.stop_all()


if __name__ == "__main__":
    sys.exit(main())
