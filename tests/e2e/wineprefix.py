"""One throwaway, headless Wine prefix per test run, with the pty shim preloaded, of
the architecture this machine can run."""

import os
import shutil
import subprocess
import signal
import tempfile

import processes

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SHIM_BUILD = os.path.join(REPO, "tools", "tiocmshim", "build.sh")
SETUP = os.path.join(REPO, "tools", "setup")


def wine_arch():
    """win32 where this machine runs 32-bit code, else win64 (tools/setup/wine-arch.sh)."""
    result = subprocess.run([os.path.join(SETUP, "wine-arch.sh")], stdout=subprocess.PIPE, check=True)
    return result.stdout.decode().strip()


WINE_ARCH = wine_arch()


def wine_path():
    """PATH with the 64-bit `wine` first when the prefixes are 64-bit."""
    path = os.environ.get("PATH", "")
    if WINE_ARCH != "win64":
        return path
    return os.pathsep.join([os.path.join(SETUP, "wine64"), path])


class WinePrefix:
    """Headless with Wine's null display driver; with `display` (an X display such as
    ":91", e.g. an Xvfb) windows are drawn there, inside one Wine desktop of
    `desktop_size`, so that tests can look at them."""

    def __init__(self, display=None, desktop_size="1024x768"):
        self.display = display
        self.desktop_size = desktop_size
        self.root = tempfile.mkdtemp(prefix="relvan-e2e-")
        self.path = os.path.join(self.root, "prefix")
        self.shim_dir = os.path.join(self.root, "shim")
        self.env = dict(os.environ)
        self.env.update(
            WINEPREFIX=self.path,
            WINEARCH=WINE_ARCH,
            PATH=wine_path(),
            WINEDEBUG="-all",
            WINEDLLOVERRIDES="mscoree,mshtml=",
            LD_PRELOAD=os.path.join(self.shim_dir, "$LIB", "libtiocmshim.so"),
        )
        self.env.pop("DISPLAY", None)
        if display is not None:
            self.env["DISPLAY"] = display
        self._server_pid = None

    def create(self):
        processes.on_exit(self.destroy)
        subprocess.run([SHIM_BUILD, self.shim_dir], check=True, timeout=120)
        self._run(["wine", "wineboot", "--init"], timeout=180)
        self._run(["wine", "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", self._driver(), "/f"])
        if self.display is not None:
            explorer = r"HKCU\Software\Wine\Explorer"
            self._run(["wine", "reg", "add", explorer, "/v", "Desktop", "/d", "Default", "/f"])
            self._run(["wine", "reg", "add", explorer + r"\Desktops", "/v", "Default", "/d", self.desktop_size, "/f"])
            # Arial's metric twin, as on a Windows machine (fonts-liberation).
            fonts = r"HKCU\Software\Wine\Fonts\Replacements"
            self._run(["wine", "reg", "add", fonts, "/v", "Arial", "/d", "Liberation Sans", "/f"])
        self._run(["wineserver", "-w"], timeout=120)
        # A persistent server keeps every later start fast. `wineserver -p` returns once
        # the server listens; its id is looked up so destroy() can make sure it ended.
        self._run(["wineserver", "-p"])
        self._server_pid = self._find_server_pid()
        self._run(["wine", "wineboot"], timeout=120)
        return self

    def _driver(self):
        return "null" if self.display is None else "x11"

    def _find_server_pid(self):
        for entry in os.listdir("/proc"):
            if entry.isdigit() and _is_server_of(int(entry), self.path):
                return int(entry)
        return None

    def _run(self, args, timeout=60):
        subprocess.run(
            args, env=self.env, timeout=timeout, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL
        )

    def dosdevice(self, name):
        return os.path.join(self.path, "dosdevices", name)

    def map_com_port(self, number, device):
        link = self.dosdevice("com%d" % number)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(device, link)

    def unmap_com_port(self, number):
        link = self.dosdevice("com%d" % number)
        if os.path.lexists(link):
            os.remove(link)

    @staticmethod
    def windows_path(path):
        """A Unix path as the prefix's programs name it (drive Z: is the Unix root)."""
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def register_link_component(self, bin_dir):
        """Registers relvanlink.dll of `bin_dir` with regsvr32, as an installer would:
        the console's link control (class id {7127E44D-6E77-4C78-B2C9-502CB56EE693}) can
        then be created by every program in the prefix."""
        self._run(["wine", "regsvr32", "/s", self.windows_path(os.path.join(bin_dir, "relvanlink.dll"))])

    def unregister_link_component(self, bin_dir):
        self._run(["wine", "regsvr32", "/u", "/s", self.windows_path(os.path.join(bin_dir, "relvanlink.dll"))])

    def destroy(self):
        """Ends the prefix's processes and removes it; once removed, does nothing."""
        if not os.path.isdir(self.root):
            return
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, check=False)
        if self._server_pid and _alive(self._server_pid):
            os.kill(self._server_pid, signal.SIGKILL)
        if not os.environ.get("RELVAN_E2E_KEEP"):
            shutil.rmtree(self.root, ignore_errors=True)


def _alive(pid):
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        return False


def _is_server_of(pid, prefix_path):
    try:
        with open("/proc/%d/comm" % pid) as comm:
            if not comm.read().startswith("wineserver"):
                return False
        with open("/proc/%d/environ" % pid, "rb") as environ:
            return b"WINEPREFIX=" + prefix_path.encode() in environ.read().split(b"\0")
    except OSError:
        return False


_shared = None


def shared_prefix():
    """The run's prefix, created on first use and destroyed when the run ends."""
    global _shared
    if _shared is None:
        _shared = WinePrefix().create()
    return _shared
