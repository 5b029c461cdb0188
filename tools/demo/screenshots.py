#!/usr/bin/env python3
"""Draws the console panel under Xvfb and writes two PNG files: charged (the type-15
simulator answered the power-on conversation) and off (after HFG POWER OFF).

  python3 tools/demo/screenshots.py [--out docs]
"""

import argparse
import os
import sys
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.path.insert(0, os.path.join(REPO, "tools", "gensim"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import processes  # noqa: E402
import tools  # noqa: E402
from console15 import ConsoleRig  # noqa: E402
from screen import screen_prefix  # noqa: E402

POWER_OFF = 1017


def window_rect(prefix):
    info = dict(field.split("=") for field in tools.wintest(prefix, "info", "Relvan")[1].split())
    return int(info["x"]), int(info["y"]), int(info["w"]), int(info["h"])


def shoot(prefix, path):
    prefix.screen.grab().crop(*window_rect(prefix)).save_png(path)
    print("wrote " + path)


def run(out_dir):
    prefix = screen_prefix()
    rig = ConsoleRig(prefix, os.path.join(prefix.root, "screenshots"), lambda text: None, time.monotonic())
    try:
        rig.run.start()
        if not tools.wait_window(prefix, "Relvan", 20000) or not rig.generator.wait_for_sent("RS04", 20):
            print("the panel did not charge")
            return 1
        if not rig.run.wait_log("Generator Charge ON OK !!", 5):
            return 1
        time.sleep(1.5)  # charge completion applies the options
        shoot(prefix, os.path.join(out_dir, "console-charged.png"))
        tools.wintest(prefix, "click", "Relvan", POWER_OFF)
        if not rig.run.wait_log("Generator Power OFF OK !!", 5):
            print("the panel did not power off")
            return 1
        time.sleep(0.5)
        shoot(prefix, os.path.join(out_dir, "console-off.png"))
        rig.run.close_window()
        rig.run.wait_exit(10)
        return 0
    finally:
        rig.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", default=os.path.join(REPO, "docs"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    try:
        return run(args.out)
    finally:
        processes.stop_all()


if __name__ == "__main__":
    sys.exit(main())
