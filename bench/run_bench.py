#!/usr/bin/env python3
"""Relvan's benchmarks under Wine: latency against a baseline relay, idle cost,
cadence and sustained replies, with the real relvan.exe, hostsim.exe and the
generator's end of socat pty lines; and the console's (generator type 15) release
latency, answer times, memory over exposure cycles and idle cost against baseline
timers. Writes bench/RESULTS.md (see `--help`)."""

import argparse
import functools
import os
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
for folder in (
    os.path.join(REPO, "tests", "e2e"),
    os.path.join(REPO, "tools", "gensim"),
    os.path.join(REPO, "tools", "demo"),
    os.path.join(HERE, "driver"),
):
    sys.path.insert(0, folder)

import console  # noqa: E402
import report  # noqa: E402
import scenarios  # noqa: E402
from rig import Rig  # noqa: E402
from stats import summary  # noqa: E402
from wineprefix import WinePrefix, shared_prefix  # noqa: E402


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--samples", type=int, default=250, help="latency samples per figure and side")
    parser.add_argument("--window", type=float, default=60.0, help="seconds per idle state and sustained run")
    parser.add_argument("--lists", type=int, default=30, help="parameter lists for the step cadence")
    parser.add_argument("--cycles", type=int, default=1000, help="exposure cycles of the Model 2 console")
    parser.add_argument("--model1-cycles", type=int, default=300, help="exposure cycles of the Model 1 console")
    parser.add_argument(
        "--only", default="latency,idle,steps,sustained,console,console-idle", help="comma-separated parts to run"
    )
    parser.add_argument("--micro", help="Google Benchmark output to include")
    parser.add_argument("--out", default=os.path.join(HERE, "RESULTS.md"))
    return parser.parse_args()


def fresh_rig(prefix):
    return Rig(prefix, tempfile.mkdtemp(prefix="bench-", dir=prefix.root))


def run_part(prefix, measure):
    rig = fresh_rig(prefix)
    try:
        return measure(rig)
    finally:
        rig.close()


def run_latency(prefix, args, results):
    for gen_type in (11, 13, 17):
        print("latency, type %d" % gen_type, flush=True)
        got = run_part(prefix, lambda rig: scenarios.latency(rig, gen_type, args.samples))
        for (side, figure), samples in got.items():
            results.latency[(gen_type, figure, side)] = summary(samples)


@functools.cache
def second_prefix():
    """The prefix the idle baselines run in beside the product, made on first use with
    a first start of the product and the relay in each prefix (Wine's first-start work
    is no part of any state)."""
    second = WinePrefix().create()
    for warm in (shared_prefix(), second):
        run_part(warm, scenarios.warm_up)
    return second


def run_idle(prefix, args, results):
    # Each state of the product and its baseline run at the same time, in two prefixes
    # (two wineservers), so that both see the same minute of a shared machine.
    baseline_prefix = second_prefix()
    for state, setup in scenarios.STATES.items():
        if "baseline" not in setup:
            continue
        print("idle: %s, beside its baseline" % state, flush=True)
        product_rig, baseline_rig = fresh_rig(prefix), fresh_rig(baseline_prefix)
        try:
            product, baseline, cadence = scenarios.idle_pair(product_rig, baseline_rig, state, args.window)
        finally:
            product_rig.close()
            baseline_rig.close()
        results.idle[state] = product
        results.idle[setup["baseline"]] = baseline
        if cadence:
            results.cadence[state] = summary(cadence)


def run_steps(prefix, args, results):
    print("parameter-list steps", flush=True)
    gaps = run_part(prefix, lambda rig: scenarios.parameter_steps(rig, args.lists, 100))
    results.cadence["type 17 parameter-list steps (Interval=100)"] = summary(gaps)


def run_sustained(prefix, args, results):
    for gen_type in (11, 13, 17):
        print("sustained, type %d" % gen_type, flush=True)
        results.sustained[gen_type] = run_part(prefix, lambda rig: scenarios.sustained(rig, gen_type, args.window))


def run_console(prefix, args, results):
    for model, count in ((2, args.cycles), (1, args.model1_cycles)):
        print("console, Model %d: %d exposure cycles" % (model, count), flush=True)
        figures, memory, failure = run_part(prefix, lambda rig: console.exposure_cycles(rig, model, count))
        results.console[model] = {name: summary(samples) for name, samples in figures.items()}
        results.console_memory[model] = memory
        results.console_failures[model] = failure


def run_console_idle(prefix, args, results):
    baseline_prefix = second_prefix()
    for model in (1, 2):
        print("console idle, Model %d, beside its baseline" % model, flush=True)
        product_rig, baseline_rig = fresh_rig(prefix), fresh_rig(baseline_prefix)
        try:
            results.console_idle[model] = console.idle_pair(product_rig, baseline_rig, model, args.window)
        finally:
            product_rig.close()
            baseline_rig.close()


PARTS = {
    "latency": run_latency,
    "idle": run_idle,
    "steps": run_steps,
    "sustained": run_sustained,
    "console": run_console,
    "console-idle": run_console_idle,
}


def main():
    args = parse_args()
    started = time.time()
    prefix = shared_prefix()
    results = report.Results()
    for part in args.only.split(","):
        PARTS[part](prefix, args, results)
    micro = open(args.micro).read() if args.micro and os.path.exists(args.micro) else None
    text = report.render(results, args, micro, time.time() - started)
    with open(args.out, "w") as out:
        out.write(text)
    print(text)
    # `make bench` exits with this: 0 when every target is met, else the misses are named.
    for name in results.missed():
        print("target not met: %s" % name, file=sys.stderr)
    return 0 if results.all_met() else 1


if __name__ == "__main__":
    sys.exit(main())
