"""The type-15 part of the demo, the screenshots and the console benchmarks: relvan.exe
with the console panel, our link component registered in the prefix, and the type-15
generator simulator behind it on a pty mapped to the COM port that Lumora.ini's
"LinkPort" names. In Model 1 the hand switch is on the parallel port double
(testbin/inpout32.dll beside relvan.exe), whose I/O space file the simulator shares."""

import os
import shutil
import types

import tools
from portfile import windows_path
from ptypair import PtyPair
from relvanrun import RelvanRun
from serialline import SerialLine
from type15 import Settings, Type15Generator
from wineprefix import REPO

LINK_COM = 7
DATA = os.path.join(REPO, "tools", "consoledata", "data")
PORT_DOUBLE = os.path.join(os.path.dirname(tools.BIN_DIR), "testbin", "inpout32.dll")


class ConsoleRig:
    """The generator on its line (started first: its link is up before power on) and a
    relvan.exe of type 15 in `folder` with the sample data set, not yet started."""

    def __init__(self, prefix, folder, out, start_time, model=2, keys=None, **settings):
        """`keys`: Lumora.ini's [GENERATOR] keys over the console's usual ones;
        `settings`: the simulator's Settings besides the model (values, delays, script)."""
        self.prefix = prefix
        prefix.register_link_component(tools.BIN_DIR)
        os.makedirs(folder, exist_ok=True)
        self.pair = PtyPair(folder, "link")
        prefix.map_com_port(LINK_COM, self.pair.program_device)
        self.line = SerialLine(self.pair.generator_link)
        relvan = os.path.join(folder, "relvan")
        shutil.copytree(DATA, os.path.join(relvan, "data"))
        env = prefix.env
        if model == 1:
            settings["portsim"] = os.path.join(folder, "portsim.bin")
            self.port_log = os.path.join(folder, "portsim.log")
            env = dict(env, RELVAN_PORTSIM=windows_path(settings["portsim"]))
            env["RELVAN_PORTSIM_LOG"] = windows_path(self.port_log)
            shutil.copyfile(PORT_DOUBLE, os.path.join(relvan, "INPOUT32.dll"))
        self.generator = Type15Generator(self.line, Settings(model=model, **settings), out=out, name="generator")
        self.generator.start()
        self.generator.start_time = start_time
        ini_keys = {"EnableDebug": 1, "Model": model, "LinkPort": LINK_COM}
        ini_keys.update(keys or {})
        # RelvanRun takes the environment from the prefix it is given.
        run_prefix = types.SimpleNamespace(env=env, path=prefix.path)
        self.run = RelvanRun(run_prefix, relvan, {"CONTROLPANNEL": {"TypeGen": 15}, "GENERATOR": ini_keys})

    def close(self):
        self.generator.stop()
        self.run.stop()
        self.prefix.unmap_com_port(LINK_COM)
        self.line.close()
        self.pair.close()
