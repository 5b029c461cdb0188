"""The package for integrators (`make dist`), used as an integrator would use it:
unpacked into a fresh folder and run in a fresh Wine prefix, set up from its own sample
Lumora.ini files, with its own relvan.exe, relvanlink.dll (registered from the package
with regsvr32), sample console data, hostsim.exe and generator simulator. Nothing of
the program, its DLL, its data or its settings comes from the build folders; only the
rig does (socat, the pty shim, and the harness's wintest.exe that presses error boxes
away).

The shipped package is 32-bit. On a machine that runs no 32-bit code
(tools/setup/wine-arch.sh says win64, as on the machines these tests were written on)
it cannot run, so this test makes the same package with the same script from the
64-bit build of the same sources (make_dist.py --arch win64, relvan-<v>-win64.zip) and
runs that one. Where 32-bit code runs, it packages and runs the win32 build: the
product itself."""

import glob
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile

import processes
import tools
from harness import E2ETestCase
from host import HostSim
from relvanrun import RelvanRun
from wineprefix import REPO, WINE_ARCH, WinePrefix

MAKE_DIST = os.path.join(REPO, "tools", "dist", "make_dist.py")
HOST = "Package Host"
TIMEOUT = 20

NEEDED = [
    "README.txt",
    "relvan.exe",
    "relvanlink.dll",
    "tools/hostsim.exe",
    "tools/wintest.exe",
    "tools/gensim/gensim.py",
    "testing/inpout32.dll",
    "samples/data/step_kv.dat",
    "samples/data/over_50kW/over_mA_sec.dat",
]
SAMPLES = {
    "Lumora-type11.ini": {"TypeGen": "11"},
    "Lumora-type13.ini": {"TypeGen": "13"},
    "Lumora-type15-model1.ini": {"TypeGen": "15", "Model": "1"},
    "Lumora-type15-model2.ini": {"TypeGen": "15", "Model": "2"},
    "Lumora-type17.ini": {"TypeGen": "17"},
}
# How the program and the link control read their keys from Lumora.ini.
KEY_READS = [
    (re.compile(r'GetInt\([^,()]+, "(\w+)"'), ("app", "console")),
    (re.compile(r'GetString\([^,()]+, "(\w+)"'), ("app", "console")),
    (re.compile(r'GetPrivateProfile(?:Int|String)A\("Generator", "(\w+)"'), ("tools/relvanlink",)),
]


def make_package(out):
    """The package of the build under test, by the script `make dist` runs."""
    build = os.path.dirname(tools.BIN_DIR)
    result = subprocess.run(
        ["python3", MAKE_DIST, "--build", build, "--arch", WINE_ARCH, "--out", out],
        stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT,
        timeout=120,
    )
    if result.returncode != 0:
        raise RuntimeError("make_dist.py failed: " + result.stdout.decode())
    return result.stdout.decode().strip()


def keys_the_program_reads():
    keys = set()
    for pattern, folders in KEY_READS:
        for folder in folders:
            for path in glob.glob(os.path.join(REPO, folder, "**", "*.cpp"), recursive=True):
                with open(path) as source:
                    keys.update(pattern.findall(source.read()))
    return keys


def setting(text, key):
    """The value of an active `key=` line of an INI text, or None."""
    match = re.search(r"^%s=(.*)$" % re.escape(key), text, re.M | re.I)
    return match.group(1).strip() if match else None


def configure(text, **keys):
    """A sample's text with its active `key=` lines set as an integrator would."""
    for key, value in keys.items():
        line = "%s=%s" % (key, value)
        text, count = re.subn(r"^%s=[^\r\n]*" % key, lambda _: line, text, flags=re.M)
        assert count == 1, "the sample has no line %s=" % key
    return text


class PackageBuild:
    """The zip, made once for the module."""

    folder = None
    zip_path = None

    @classmethod
    def get(cls):
        if cls.zip_path is None:
            cls.folder = tempfile.mkdtemp(prefix="relvan-dist-")
            processes.on_exit(lambda: shutil.rmtree(cls.folder, ignore_errors=True))
            cls.zip_path = make_package(cls.folder)
        return cls.zip_path


class PackageContentTest(unittest.TestCase):
    def test_layout_samples_and_a_byte_for_byte_rebuild(self):
        path = PackageBuild.get()
        with open(os.path.join(REPO, "VERSION")) as version_file:
            version = version_file.read().strip()
        top = "relvan-" + version + ("" if WINE_ARCH == "win32" else "-" + WINE_ARCH)
        self.assertEqual(top + ".zip", os.path.basename(path))
        with zipfile.ZipFile(path) as archive:
            names = archive.namelist()
            files = {name[len(top) + 1 :]: archive.read(name) for name in names}
        self.assertTrue(all(name.startswith(top + "/") for name in names))
        for needed in NEEDED:
            self.assertIn(needed, files)
        # The port double only ever in testing/: beside relvan.exe it would stand in for
        # the real port library.
        self.assertEqual(["testing/inpout32.dll"], [n for n in files if n.lower().endswith("inpout32.dll")])
        self.assertIn("Relvan %s:" % version, files["README.txt"].decode())
        for program in ["relvan.exe", "relvanlink.dll"]:  # their version resources
            self.assertIn(("%s.0" % version).encode("utf-16-le"), files[program], program)

        wanted = keys_the_program_reads()
        self.assertGreaterEqual(len(wanted), 13)
        self.assertEqual(set(SAMPLES), {n[len("samples/") :] for n in files if n.endswith(".ini")})
        for name, values in SAMPLES.items():
            with self.subTest(sample=name):
                data = files["samples/" + name]
                self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "CR LF lines")
                text = data.decode("ascii")
                for key in wanted:
                    self.assertRegex(text, r"(?mi)^;?%s=" % key, "every key the program reads is shown")
                for key, value in values.items():
                    self.assertEqual(value, setting(text, key))
                sections = re.findall(r"(?m)^\[(\w+)\]", text.upper())
                self.assertEqual(["CONTROLPANNEL", "GENERATOR"], sections, "one section of each name")

        rebuilt = tempfile.mkdtemp(prefix="relvan-dist-again-")
        self.addCleanup(shutil.rmtree, rebuilt, True)
        with open(path, "rb") as first, open(make_package(rebuilt), "rb") as second:
            self.assertEqual(first.read(), second.read(), "the same build gives the same zip")


class PackageRunTest(E2ETestCase):
    @classmethod
    def setUpClass(cls):
        cls.zip_path = PackageBuild.get()
        cls.fresh_prefix = WinePrefix().create()

    @classmethod
    def tearDownClass(cls):
        cls.fresh_prefix.destroy()

    def setUp(self):
        self.prefix = self.fresh_prefix
        self.dir = os.path.join(self.prefix.root, "tests", self.id().split(".", 1)[-1])
        os.makedirs(self.dir)

    def install(self):
        """The package unpacked into a fresh folder; the folder of relvan.exe."""
        with zipfile.ZipFile(self.zip_path) as archive:
            archive.extractall(os.path.join(self.dir, "unpacked"))
        (home,) = glob.glob(os.path.join(self.dir, "unpacked", "*"))
        return home

    @staticmethod
    def configure(home, sample, **keys):
        """Lumora.ini beside relvan.exe: the package's `sample` with `keys` set."""
        with open(os.path.join(home, "samples", sample), newline="") as sample_file:
            text = configure(sample_file.read(), **keys)
        with open(os.path.join(home, "Lumora.ini"), "w", newline="") as ini:
            ini.write(text)

    def gensim(self, home, pair, *args):
        """The package's generator simulator on the far end of `pair`."""
        output = os.path.join(self.dir, "gensim.txt")
        with open(output, "wb") as out:
            process = processes.spawn(
                ["python3", "-u", os.path.join(home, "tools", "gensim", "gensim.py"), "--port", pair.generator_link]
                + list(args),
                stdout=out,
                stderr=subprocess.STDOUT,
            )
        self.addCleanup(processes.stop, process)
        return output

    def wait_gensim(self, output, pattern, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with open(output) as lines:
                if any(re.search(pattern, line) for line in lines):
                    return
            time.sleep(0.05)
        with open(output) as lines:
            self.fail("gensim printed no %r; it printed:\n%s" % (pattern, lines.read()))

    def start(self, home):
        host = HostSim(self.prefix, HOST, exe=os.path.join(home, "tools", "hostsim.exe"))
        self.addCleanup(host.close)
        run = RelvanRun(self.prefix, home, None)
        self.addCleanup(run.stop)
        run.start(HOST)
        return host, run

    def assertNoErrors(self, run):
        self.assertEqual([], [line for line in run.log_lines() if line.startswith("[E]")])

    def test_type11_conversation(self):
        home = self.install()
        self.configure(home, "Lumora-type11.ini", COMPORT=5, EnableDebug=1)
        generator = self.gensim(home, self.serial(5), "--type", "11", "--reply", "ST=KV70 MA100", "--reply", "R?=ST0")
        host, run = self.start(home)
        self.assertLogged(run, "Connected generator port:5 Baud:19200", timeout=TIMEOUT)
        items = [(r.kind, r.index, r.text) for r in host.wait_records(2, TIMEOUT)]
        self.assertEqual([(742065, 0, "70"), (742065, 1, "100")], items)
        host.send("send KV81")
        self.wait_gensim(generator, r"<- KV81 ")
        self.assertTrue(run.close_window())
        self.assertEqual(0, run.wait_exit(10))
        self.assertNoErrors(run)

    def test_type15_model2_conversation_with_the_packaged_link_control(self):
        home = self.install()
        data_root = self.prefix.windows_path(os.path.join(home, "samples"))
        self.configure(home, "Lumora-type15-model2.ini", LinkPort=7, EnableDebug=1, DataPSC=data_root)
        self.prefix.register_link_component(home)
        self.addCleanup(self.prefix.unregister_link_component, home)
        generator = self.gensim(home, self.serial(7), "--type", "15", "--model", "2")
        self.wait_gensim(generator, "model 2 generator ready")
        host, run = self.start(home)

        # Power on and charge: the host hears kind 113 once the console is charged.
        self.wait_gensim(generator, r"<- CALL 1$")
        self.wait_gensim(generator, r"-> EVENT \d+ RS04$")
        self.assertLogged(run, "Generator Charge ON OK !!", timeout=TIMEOUT)
        self.assertEqual([113], [r.kind for r in host.wait_records(1, TIMEOUT)])
        # The status text shows the first steps of the packaged tables (40 kV, 10 mA).
        host.send("console 111")
        status = host.wait_line(lambda line: "kind=112" in line, TIMEOUT)
        self.assertIsNotNone(status, host.lines)
        self.assertIn('text="40;10;', status)

        # The host powers off; closing the window ends the program.
        host.send("console 100 2")
        self.wait_gensim(generator, r"<- CALL 2$")
        self.assertLogged(run, "Generator Power OFF OK !!")
        self.assertTrue(run.close_window())
        self.assertEqual(0, run.wait_exit(10))
        self.assertNoErrors(run)


if __name__ == "__main__":
    unittest.main()
