"""The Windows test tools (wintest.exe, hostsim.exe) and the program under test."""

import os
import subprocess

from wineprefix import REPO, WINE_ARCH

BIN_DIR = os.environ.get("RELVAN_WINE_BIN", os.path.join(REPO, "build", WINE_ARCH, "bin"))


def binary(name):
    path = os.path.join(BIN_DIR, name)
    if not os.path.isfile(path):
        raise FileNotFoundError("%s is not built (looked in %s; set RELVAN_WINE_BIN)" % (name, BIN_DIR))
    return path


def wintest(prefix, *args, timeout=30):
    """Runs wintest.exe; returns (exit code, stdout)."""
    result = subprocess.run(
        ["wine", binary("wintest.exe")] + [str(a) for a in args],
        env=prefix.env,
        timeout=timeout,
        stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL,
    )
    return result.returncode, result.stdout.decode("latin-1").replace("\r\n", "\n")


def window_exists(prefix, title):
    return wintest(prefix, "find", title)[0] == 0


def wait_window(prefix, title, timeout_ms):
    return wintest(prefix, "wait", title, timeout_ms, timeout=timeout_ms / 1000 + 30)[0] == 0


def dismiss_message_box(prefix, caption, timeout_ms):
    """Presses the first button of the box; returns its text, or None when none came."""
    code, text = wintest(prefix, "msgbox", caption, timeout_ms, timeout=timeout_ms / 1000 + 30)
    return text if code == 0 else None


def choose_system_command(prefix, title, command_id, timeout_ms):
    """Chooses a system-menu item; returns the caption of the dialog it opened (closed
    again at once), or None when none came."""
    code, text = wintest(prefix, "syscommand", title, command_id, timeout_ms, timeout=timeout_ms / 1000 + 30)
    return text.encode("latin-1").decode("utf-8").strip() if code == 0 else None
