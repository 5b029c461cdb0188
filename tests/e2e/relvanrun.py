"""One run of the real relvan.exe under Wine, in a folder of its own with its own
Lumora.ini; its log file is read from the folder's log directory."""

import glob
import os
import shutil
import subprocess
import time

import processes
import tools

ERROR_BOX = "Application Error"


def ini_text(sections):
    """Lumora.ini content from {section: {key: value}}, with CR LF line ends."""
    lines = []
    for section, keys in sections.items():
        lines.append("[%s]" % section)
        lines.extend("%s=%s" % (key, value) for key, value in keys.items())
        lines.append("")
    return "\r\n".join(lines).encode("latin-1")


class RelvanRun:
    """With `ini` None the folder is an installation as it stands (an unpacked package):
    its own relvan.exe and Lumora.ini are used and nothing is copied or written."""

    def __init__(self, prefix, folder, ini, exe_name="relvan.exe"):
        self.prefix = prefix
        self.folder = folder
        self.exe = os.path.join(folder, exe_name)
        if ini is not None:
            os.makedirs(folder, exist_ok=True)
            shutil.copyfile(tools.binary("relvan.exe"), self.exe)
            with open(os.path.join(folder, "Lumora.ini"), "wb") as ini_file:
                ini_file.write(ini_text(ini))
        self.process = None

    def start(self, host_title=None):
        args = ["wine", self.exe] + ([host_title] if host_title is not None else [])
        self._output = open(os.path.join(self.folder, "wine-output.txt"), "ab")
        self.process = processes.spawn(
            args, cwd=self.folder, env=self.prefix.env, stdout=self._output, stderr=subprocess.STDOUT
        )
        return self

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout):
        """The exit code, or None if the program is still running after `timeout` seconds."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close_window(self, title="Relvan"):
        return tools.wintest(self.prefix, "close", title)[0] == 0

    def stop(self):
        """Ends the program: any error box is pressed away first, then the process stopped."""
        if self.running():
            tools.dismiss_message_box(self.prefix, ERROR_BOX, 0)
            processes.stop(self.process)
        if self.process is not None:
            self._output.close()

    # -- the log ---------------------------------------------------------------

    def log_files(self):
        return sorted(glob.glob(os.path.join(self.folder, "log", "*_Kel.log")))

    def log_bytes(self):
        data = b""
        for path in self.log_files():
            with open(path, "rb") as log_file:
                data += log_file.read()
        return data

    def log_lines(self):
        """The log's entries without their time stamps and line ends."""
        text = self.log_bytes().decode("latin-1")
        return [line[13:] if len(line) > 13 else line for line in text.split("\r\n") if line]

    def wait_log(self, text, timeout):
        """True as soon as some log entry contains `text`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if any(text in line for line in self.log_lines()):
                return True
            time.sleep(0.05)
        return False

    def expected_log_name(self):
        return time.strftime("%Y%m%d") + "_Kel.log"
