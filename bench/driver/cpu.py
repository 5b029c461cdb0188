"""CPU time of the Wine processes of one prefix, read from /proc.

The time is the scheduler's own count of each thread's time on a CPU
(/proc/PID/task/TID/schedstat, in nanoseconds), not utime and stime: those are
sampled at the clock tick, and a program woken by its timers runs just after the
tick and is charged whole ticks for a few microseconds of work (seen as tenths of
a percent of a core added to the product, which wakes on more timers than a
relay). The threads of each process are the same over a steady state."""

import os
import time

NANOSECONDS_PER_SECOND = 1e9


def _runtime_ns(pid):
    """The time on a CPU of every thread the process has now; None when it is gone."""
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return None
    total = 0
    for task in tasks:
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as schedstat:
                total += int(schedstat.read().split()[0])
        except OSError:
            continue  # a thread that ended meanwhile
    return total


def _comm(pid):
    try:
        with open("/proc/%d/comm" % pid) as comm:
            return comm.read().strip()
    except OSError:
        return "?"


def prefix_pids(prefix_path):
    """Every process whose environment names this prefix (the wineserver included)."""
    marker = b"WINEPREFIX=" + prefix_path.encode()
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as environ:
                if marker in environ.read().split(b"\0"):
                    pids.append(int(entry))
        except OSError:
            continue
    return pids


def snapshot(prefix_path):
    """{pid: (name, nanoseconds on a CPU)} of the prefix's processes now."""
    result = {}
    for pid in prefix_pids(prefix_path):
        runtime = _runtime_ns(pid)
        if runtime is not None:
            result[pid] = (_comm(pid), runtime)
    return result


def usage(before, after, seconds, program_pid, excluded):
    """Shares of one core over `seconds`: the program, the wineserver, the other Wine
    processes (helpers), leaving out `excluded` pids (the host simulator and such)."""
    shares = {"program": 0.0, "wineserver": 0.0, "helpers": 0.0}
    helpers = []
    for pid, (name, runtime) in after.items():
        if pid in excluded:
            continue
        used = max(0, runtime - before.get(pid, (name, 0))[1]) / NANOSECONDS_PER_SECOND / seconds
        if pid == program_pid:
            shares["program"] += used
        elif name.startswith("wineserver"):
            shares["wineserver"] += used
        else:
            shares["helpers"] += used
            if used > 0:
                helpers.append("%s %.2f%%" % (name, used * 100))
    shares["total"] = shares["program"] + shares["wineserver"] + shares["helpers"]
    shares["helper_names"] = ", ".join(helpers)
    return shares


def shares_over_each(measured, seconds):
    """usage() over the same next `seconds` (slept here) for each (prefix path, program
    pid, excluded pids) of `measured`, in that order."""
    before = [snapshot(path) for path, _, _ in measured]
    started = time.monotonic()
    time.sleep(seconds)
    after = [snapshot(path) for path, _, _ in measured]
    elapsed = time.monotonic() - started
    return [
        usage(first, last, elapsed, pid, set(excluded))
        for first, last, (_, pid, excluded) in zip(before, after, measured)
    ]

