"""A serial line made of two ptys joined by socat: one end for the program, one for a
generator simulator."""

import os
import subprocess
import time

import processes


class PtyPair:
    def __init__(self, directory, name):
        self.program_link = os.path.join(directory, name + "-program")
        self.generator_link = os.path.join(directory, name + "-generator")
        self.log_path = os.path.join(directory, name + "-socat.log")
        self._log = open(self.log_path, "wb")
        self.process = processes.spawn(
            [
                "socat",
                "-d",
                "-d",
                "pty,raw,echo=0,link=" + self.program_link,
                "pty,raw,echo=0,link=" + self.generator_link,
            ],
            stdout=self._log,
            stderr=subprocess.STDOUT,
        )
        self._wait_for_links(timeout=10)

    def _wait_for_links(self, timeout):
        deadline = time.monotonic() + timeout
        while not (os.path.exists(self.program_link) and os.path.exists(self.generator_link)):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("socat did not make its ptys; see " + self.log_path)
            time.sleep(0.02)

    @property
    def program_device(self):
        return os.path.realpath(self.program_link)

    def close(self):
        processes.stop(self.process)
        self._log.close()
