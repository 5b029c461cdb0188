"""Every process the end-to-end harness starts, so that all of them end with the run."""

import atexit
import os
import signal
import subprocess
import sys

_tracked = []  # Popen objects, in start order
_cleanups = []  # callables run after the processes are gone, newest first


def spawn(args, **kwargs):
    """Starts a process and remembers it; it is stopped at the latest when the run ends."""
    process = subprocess.Popen(args, **kwargs)
    _tracked.append(process)
    return process


def resident_kb(pid):
    """The resident set (VmRSS) of a Linux process, in kB."""
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS for process %d" % pid)


def stop(process, grace=2.0):
    """Ends one process by its id: SIGTERM, then SIGKILL after `grace` seconds."""
    if process.poll() is None:
        try:
            process.terminate()
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=5)
        except ProcessLookupError:
            pass
    if process in _tracked:
        _tracked.remove(process)


def on_exit(cleanup):
    """Registers a clean-up step for the end of the run (after all processes stopped)."""
    _cleanups.append(cleanup)


def stop_all():
    for process in reversed(list(_tracked)):
        stop(process)
    while _cleanups:
        cleanup = _cleanups.pop()
        try:
            cleanup()
        except Exception as error:  # a failed clean-up must not hide the others
            print("harness: clean-up failed: %s" % error, file=sys.stderr)


def _on_signal(signum, _frame):
    # Ends the run at once: a SystemExit would be caught by unittest, which would go on
    # with the next test.
    stop_all()
    sys.stdout.flush()
    os._exit(128 + signum)


atexit.register(stop_all)
signal.signal(signal.SIGTERM, _on_signal)
signal.signal(signal.SIGHUP, _on_signal)
