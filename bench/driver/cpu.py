"""CPU time (user + system) of the Wine processes of one prefix, read from /proc."""

import os
import time

TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def _ticks(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except OSError:
        return None


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
    """{pid: (name, ticks)} of the prefix's processes now."""
    result = {}
    for pid in prefix_pids(prefix_path):
        ticks = _ticks(pid)
        if ticks is not None:
            result[pid] = (_comm(pid), ticks)
    return result


def usage(before, after, seconds, program_pid, excluded):
    """Shares of one core over `seconds`: the program, the wineserver, the other Wine
    processes (helpers), leaving out `excluded` pids (the host simulator and such)."""
    shares = {"program": 0.0, "wineserver": 0.0, "helpers": 0.0}
    helpers = []
    for pid, (name, ticks) in after.items():
        if pid in excluded:
            continue
        used = (ticks - before.get(pid, (name, 0))[1]) / TICKS_PER_SECOND / seconds
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


def shares_over(prefix_path, seconds, program_pid, excluded=()):
    """usage() of the prefix's processes over the next `seconds` (slept here)."""
    before = snapshot(prefix_path)
    started = time.monotonic()
    time.sleep(seconds)
    after = snapshot(prefix_path)
    return usage(before, after, time.monotonic() - started, program_pid, set(excluded))
