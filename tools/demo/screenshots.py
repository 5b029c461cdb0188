#!/usr/bin/env python3
"""Draws the console panel under Xvfb and writes two PNG files: during an exposure (the
type-15 simulator charged the generator, the operator chose the high rotor speed and
AEC with its fields, and holds the hand switch at its second stage) and off (after HFG
POWER OFF).

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
ROTOR_HIGH = 1073
AEC = 1061
# X-ray End OK 4 s after X-ray Start OK: the exposure lasts while the picture is taken.
EXPOSURE_MS = 4000


def window_rect(prefix):
    info = dict(field.split("=") for field in tools.wintest(prefix, "info", "Relvan")[1].split())
    return int(info["x"]), int(info["y"]), int(info["w"]), int(info["h"])


def shoot(prefix, path):
    time.sleep(0.5)  # the last changes painted
    prefix.screen.grab().crop(*window_rect(prefix)).save_png(path)
    print("wrote " + path)


def expose(rig):
    """The hand switch to the first stage, to the second at Ready UP OK; True once X-ray
    Start OK is shown."""
    generator = rig.generator
    generator.set_hand_switch("20")
    if not generator.wait_for_sent("RS05", 10):
        return False
    generator.set_hand_switch("00")
    return bool(generator.wait_for_sent("RS06", 10)) and rig.run.wait_log("Generator X-ray Start OK !!", 5)


def run(out_dir):
    prefix = screen_prefix()
    folder = os.path.join(prefix.root, "screenshots")
    rig = ConsoleRig(prefix, folder, lambda text: None, time.monotonic(), delays={"RS07": EXPOSURE_MS})
    try:
        rig.run.start()
        if not tools.wait_window(prefix, "Relvan", 20000) or not rig.generator.wait_for_sent("RS04", 20):
            print("the panel did not charge")
            return 1
        if not rig.run.wait_log("Generator Charge ON OK !!", 5):
            return 1
        time.sleep(1.5)  # charge completion applies the options
        for button in (ROTOR_HIGH, AEC):
            tools.wintest(prefix, "click", "Relvan", button)
        if not expose(rig):
            print("the exposure did not start")
            return 1
        shoot(prefix, os.path.join(out_dir, "console-exposure.png"))
        if not rig.run.wait_log("Generator X-ray End OK", EXPOSURE_MS / 1000 + 5):
            return 1
        rig.generator.set_hand_switch("30")
        tools.wintest(prefix, "click", "Relvan", POWER_OFF)
        if not rig.run.wait_log("Generator Power OFF OK !!", 5):
            print("the panel did not power off")
            return 1
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
