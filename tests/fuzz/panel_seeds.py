#!/usr/bin/env python3
"""Writes the panel fuzz target's seeds: each shipped scenario's flight as an
action sequence (see panel_fuzz.cpp for the format), so that a run starts with
engines started, the autopilot climbing and the radar sweeping a storm, and a
sweep of every gauge's areas and tooltips.

Usage: panel_seeds.py SOURCE_DIR OUT_DIR

The target places every gauge in table order before the first action, so a
scenario's gauge lines are already done and its gauges are named by their
place in the table. Expectations and pictures are left out; weather lines too,
since the target's weather field holds the radar scenario's storm.
"""

import pathlib
import re
import shlex
import struct
import sys

SET, PRESS, DRAG, RELEASE, FRAMES, TICKS, COUNTS, CALC = 0, 1, 4, 5, 6, 7, 8, 14
EXPRESSIONS = ["(A:ADF ACTIVE FREQUENCY:2, KHz)", "(A:ADF RADIAL:2,degrees)"]
TIME_OF_DAY = 557


def number(word):
    return float(int(word, 16)) if word.lower().startswith("0x") else float(word)


def value(v):
    return bytes([0x80]) + struct.pack("<d", v)


def point(x, y):
    return struct.pack("<hh", int(x), int(y))


# A count operand holds up to `most`, stored as one less.
def repeated(op, count, most):
    out = b""
    while count > 0:
        n = min(count, most)
        out += bytes([op, n - 1])
        count -= n
    return out


def convert(text, table):
    out = b""
    for line in text.splitlines():
        words = shlex.split(line, comments=True)
        if not words:
            continue
        step, args = words[0], words[1:]
        if step == "set":
            out += bytes([SET]) + struct.pack("<H", int(args[0], 0)) + value(number(args[1]))
        elif step == "time-of-day":
            out += bytes([SET]) + struct.pack("<H", TIME_OF_DAY) + value(number(args[0]))
        elif step == "calc":
            out += bytes([CALC, EXPRESSIONS.index(args[0])]) + value(number(args[1]))
        elif step == "click":
            g = table.index(args[0])
            times = int(args[4]) if len(args) > 4 and args[3] == "times" else 1
            for _ in range(times):
                out += bytes([PRESS, g]) + point(args[1], args[2]) + bytes([RELEASE, g])
        elif step == "drag":
            g = table.index(args[0])
            xy = [int(a) for a in args[1:]]
            out += bytes([PRESS, g]) + point(xy[0], xy[1])
            for i in range(2, len(xy) - 1, 2):
                out += bytes([DRAG, g]) + point(xy[i], xy[i + 1])
            out += bytes([RELEASE, g])
        elif step == "frames":
            out += repeated(FRAMES, int(args[0]), 8)
        elif step == "ticks":
            out += repeated(TICKS, int(args[0]), 64)
        elif step == "counts":
            out += repeated(COUNTS, int(args[0]), 32)
    return out


SWEEP, TOOLTIPS = 16, 17


# Every child area of every gauge pressed, held, dragged and released, and
# every tooltip shown, with the power on: each click handler reached once.
def every_area(table):
    out = b""
    for var in (131, 364):  # engine 1 running, the further power source on
        out += bytes([SET]) + struct.pack("<H", var) + value(1.0)
    out += bytes([TICKS, 4])
    for g in range(len(table)):
        out += bytes([SWEEP, g, 128, TOOLTIPS, g, 128])
    return out + bytes([TICKS, 9, FRAMES, 0])


def main():
    source, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    table = re.findall(r"^TW_GAUGE\((\w+)\)", (source / "framework/gauge_list.h").read_text(), re.M)
    out.mkdir(parents=True, exist_ok=True)
    for scenario in sorted((source / "scenarios").glob("*.scn")):
        (out / (scenario.stem + ".actions")).write_bytes(convert(scenario.read_text(), table))
    (out / "every_area.actions").write_bytes(every_area(table))


if __name__ == "__main__":
    main()
