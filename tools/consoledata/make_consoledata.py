#!/usr/bin/env python3
"""Writes the sample console data set: the files the type-15 console panel reads
from the "data" folder under its data root (INI key DataPSC of section
GENERATOR).

    python3 tools/consoledata/make_consoledata.py [--root DIR]

writes DIR/data/ (default: tools/consoledata/data, the committed copy):

  handsw.dat      hand switch codes (INI, section handsw_data)
  paraio.dat      parallel port address, hexadecimal ("378")
  ref_data.dat    kV and mA reference data and shifts, AEC values (INI)
  step_kv.dat     40 to 150 kV in 1 kV steps (111 rows): display, two codes
  step_ma.dat     10 to 630 mA on the R10 series (19 rows): display, code,
                  pre-heat value (two digits at least)
  step_sec.dat    0.001 to 5 s on the R10 series (38 rows): display, code
  step_mas.dat    0.1 to 320 mAs on the R10 series (36 rows): display, code
  over_20kW/, over_32kW/, over_40kW/, over_50kW/
                  over_mA_sec.dat (38 lines) and over_mA_mAs.dat (36 lines),
                  one cell per mA step (19): the highest kV allowed

Every table is text with TAB between cells and CR LF after every row. Codes
sent to the generator are hexadecimal texts. The over tables follow the
model's power P: for an mA step the highest kV with kV x mA <= P (at most
150 kV), or 999 when even 40 kV is beyond it. In the mAs table a cell also
needs the time that the mAs implies at that mA (mAs / mA) to lie within the
time steps (0.001 to 5 s); otherwise it is 999. The tables cover every
maximum index of the power models (kV 110, mA 18, sec 37, mAs 35).

Standard library only; the output is the same on every run.
"""

import argparse
import math
import os
from fractions import Fraction

R10 = ["1", "1.25", "1.6", "2", "2.5", "3.2", "4", "5", "6.3", "8"]

KV_STEPS = list(range(40, 151))
MA_STEPS = [Fraction(m) * 10**e for e in (1, 2) for m in R10][:19]  # 10 .. 630
SEC_STEPS = [Fraction(m) / 10**e for e in (3, 2, 1, 0) for m in R10][:38]  # 0.001 .. 5
MAS_STEPS = [Fraction(m) * Fraction(10) ** e for e in (-1, 0, 1, 2) for m in R10][:36]  # 0.1 .. 320

POWER_MODELS_KW = {"over_20kW": 20, "over_32kW": 32, "over_40kW": 40, "over_50kW": 50}
NOT_ALLOWED = 999


def text_of(value):
    """A step value as the panel shows it: plain decimal, no trailing zeros."""
    if value.denominator == 1:
        return str(value.numerator)
    digits = 0
    while (value * 10**digits).denominator != 1:
        digits += 1
    whole = value * 10**digits
    text = str(whole.numerator).rjust(digits + 1, "0")
    return (text[:-digits] + "." + text[-digits:]).rstrip("0").rstrip(".")


def table(rows):
    return "".join("\t".join(cells) + "\r\n" for cells in rows)


def ini(sections):
    lines = []
    for name, keys in sections:
        lines.append("[%s]" % name)
        lines.extend("%s=%s" % (key, value) for key, value in keys)
        lines.append("")
    return "\r\n".join(lines)


def kv_rows():
    # Code 1: the kV itself; code 2: the 12-bit set value (150 kV full scale).
    return [["%d" % kv, "%02X" % kv, "%03X" % round(kv * 4095 / 150)] for kv in KV_STEPS]


def ma_rows():
    # Code: tenths of mA; pre-heat: grows with the current.
    return [[text_of(ma), "%X" % int(ma * 10), "%02d" % (10 + 2 * i)]
            for i, ma in enumerate(MA_STEPS)]


def sec_rows():
    # Code: the time in units of 10 microseconds.
    return [[text_of(t), "%X" % int(t * 100000)] for t in SEC_STEPS]


def mas_rows():
    # Code: hundredths of mAs.
    return [[text_of(mas), "%X" % int(mas * 100)] for mas in MAS_STEPS]


def highest_kv(power_kw, ma):
    kv = math.floor(Fraction(power_kw * 1000) / ma)
    return NOT_ALLOWED if kv < KV_STEPS[0] else min(kv, KV_STEPS[-1])


def over_sec(power_kw):
    return [["%d" % highest_kv(power_kw, ma) for ma in MA_STEPS] for _ in SEC_STEPS]


def over_mas(power_kw):
    rows = []
    for mas in MAS_STEPS:
        row = []
        for ma in MA_STEPS:
            time = mas / ma
            inside = SEC_STEPS[0] <= time <= SEC_STEPS[-1]
            row.append("%d" % (highest_kv(power_kw, ma) if inside else NOT_ALLOWED))
        rows.append(row)
    return rows


def ma_group(index):
    if index <= 6:
        return 0
    if index <= 9:
        return 1
    if index <= 11:
        return 2
    return index - 9


def ref_data():
    groups = sorted({ma_group(i) for i in range(len(MA_STEPS))})
    sections = []
    # kV reference: the 12-bit kV set value, a little more for higher currents.
    for g in groups:
        sections.append(("%d mA Step" % g,
                         [("%d kV" % kv, round(kv * 4095 / 150) + 3 * g) for kv in KV_STEPS]))
    # mA reference: the filament drive, a little less at higher voltages.
    for k in range((len(KV_STEPS) - 1) // 10 + 1):
        sections.append(("%d kV Step" % k,
                         [("%d mA Step" % i, round(1200 + 700 * math.log10(ma / 10)) - 4 * k)
                          for i, ma in enumerate(MA_STEPS)]))
    kv_shift = [0, 0, 0, 0, 0, -1, -1, -1, -2, -2, -2, -3, -3, -3, -4, -4, -5, -5, -6]
    ma_shift = [2, 2, 1, 1, 1, 0, 0, 0, 0, -1, -1, -1, -2, -2, -2, -3, -3, -4, -4]
    sections.append(("kV Ref Shift", [("C-1_%d Step" % i, v) for i, v in enumerate(kv_shift)]))
    sections.append(("mA Ref Shift",
                     [("C-1_%d Step" % (i + 21), v) for i, v in enumerate(ma_shift)]))
    sections.append(("mA Ref MAREF All Shift",
                     [("C-1_44 Step Small", -2), ("C-1_45 Step Large", 3)]))
    sections.append(("AEC_Field_Data", [("default", 512), ("shift", 0)]))
    return ini(sections)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(text.encode("ascii"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", default=here,
                        help="console data root; the files go to ROOT/data (default: %(default)s)")
    data = os.path.join(parser.parse_args().root, "data")

    write(os.path.join(data, "handsw.dat"),
          ini([("handsw_data", [("standing", 0x30), ("ready", 0x20), ("exposure", 0x00)])]))
    write(os.path.join(data, "paraio.dat"), "378\r\n")
    write(os.path.join(data, "ref_data.dat"), ref_data())
    write(os.path.join(data, "step_kv.dat"), table(kv_rows()))
    write(os.path.join(data, "step_ma.dat"), table(ma_rows()))
    write(os.path.join(data, "step_sec.dat"), table(sec_rows()))
    write(os.path.join(data, "step_mas.dat"), table(mas_rows()))
    for folder, power_kw in POWER_MODELS_KW.items():
        write(os.path.join(data, folder, "over_mA_sec.dat"), table(over_sec(power_kw)))
        write(os.path.join(data, folder, "over_mA_mAs.dat"), table(over_mas(power_kw)))


if __name__ == "__main__":
    main()
