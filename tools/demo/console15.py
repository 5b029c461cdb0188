"""The type-15 part of the demo and of the screenshots: relvan.exe with the console
panel, our link component registered in the prefix, and the type-15 generator simulator
behind it on a pty mapped to the COM port that Lumora.ini's "LinkPort" names."""

import os
import shutil

import tools
from ptypair import PtyPair
from relvanrun import RelvanRun
from serialline import SerialLine
from type15 import Settings, Type15Generator
from wineprefix import REPO

LINK_COM = 7
DATA = os.path.join(REPO, "tools", "consoledata", "data")


class ConsoleRig:
    """The generator on its line (started first: its link is up before power on) and a
    relvan.exe of type 15 in `folder` with the sample data set, not yet started."""

    def __init__(self, prefix, folder, out, start_time, model=2, **settings):
        """`settings`: the simulator's Settings besides the model (values, delays, script)."""
        self.prefix = prefix
        prefix.register_link_component(tools.BIN_DIR)
        os.makedirs(folder)
        self.pair = PtyPair(folder, "link")
        prefix.map_com_port(LINK_COM, self.pair.program_device)
        self.line = SerialLine(self.pair.generator_link)
        self.generator = Type15Generator(self.line, Settings(model=model, **settings), out=out, name="generator")
        self.generator.start()
        self.generator.start_time = start_time
        relvan = os.path.join(folder, "relvan")
        shutil.copytree(DATA, os.path.join(relvan, "data"))
        keys = {"EnableDebug": 1, "Model": model, "LinkPort": LINK_COM}
        self.run = RelvanRun(prefix, relvan, {"CONTROLPANNEL": {"TypeGen": 15}, "GENERATOR": keys})

    def close(self):
        self.generator.stop()
        self.run.stop()
        self.prefix.unmap_com_port(LINK_COM)
        self.line.close()
        self.pair.close()
