#!/usr/bin/env python3
"""Reads the exported results back with Python's csv and json modules and
compares every number with the graphic data file it came from, as a float:
results_readback.py FOLDER NAME [NAME ...] (NAME.tvp, NAME.impedance.csv,
NAME.response.csv, NAME.results.json in FOLDER)."""
import csv
import json
import os
import struct
import sys


def f32(x):
    """The float (single precision) nearest to x."""
    return struct.unpack("f", struct.pack("f", float(x)))[0]


def hz(omega):
    """Hz as the report derives it: rad/s * 0.5 / 3.14 in single precision."""
    return f32(f32(omega * 0.5) / f32(3.14))


def graphic(path):
    """(impedance rows, response rows) of a graphic data file; each row the
    floats of one frequency: rad/s, then 16 values (K then C) or 6 amplitudes."""
    with open(path) as f:
        lines = [l.split() for l in f if l.strip()]
    count = int(lines[0][0])
    records = lines[1:]
    impedance, response = [], []
    if records and len(records[0]) == 9:
        for k in range(count):
            k_row, c_row = records[2 * k], records[2 * k + 1]
            impedance.append([f32(k_row[0])] + [f32(v) for v in k_row[1:]] + [f32(v) for v in c_row[1:]])
        records = records[2 * count:]
    for r in records[:count]:
        response.append([f32(v) for v in r])
    return impedance, response


failures = []


def check(what, got, want):
    if f32(got) != want:
        failures.append(f"{what}: {got!r} reads back as {f32(got)!r}, the graphic data file has {want!r}")


def compare_rows(name, rows, table, columns):
    if len(table) != len(rows):
        failures.append(f"{name}: {len(table)} rows, the graphic data file has {len(rows)}")
        return
    for i, (row, want) in enumerate(zip(table, rows)):
        check(f"{name} row {i + 1} Hz", row[0], hz(want[0]))
        for j in range(columns):
            check(f"{name} row {i + 1} column {j + 2}", row[j + 1], want[j])


folder = sys.argv[1]
for name in sys.argv[2:]:
    base = os.path.join(folder, name)
    impedance, response = graphic(base + ".tvp")

    # CSV: one header line with units, then one row per frequency
    for suffix, rows, columns, first in ((".impedance.csv", impedance, 17, "Kxx ("), (".response.csv", response, 7, "UOX (")):
        path = base + suffix
        if not rows:
            if os.path.exists(path):
                failures.append(f"{path} written for a run without such rows")
            continue
        with open(path, newline="") as f:
            table = list(csv.reader(f))
        header = table[0]
        if header[:2] != ["frequency (Hz)", "frequency (rad/s)"] or not header[2].startswith(first):
            failures.append(f"{path}: header {header}")
        compare_rows(path, rows, [[float(v) for v in r] for r in table[1:]], columns)

    # JSON: the same numbers in one object
    with open(base + ".results.json") as f:
        doc = json.load(f)
    if doc["format"] != "terva-results" or doc["version"] != 1:
        failures.append(f"{name}.results.json: format {doc['format']} version {doc['version']}")
    if impedance:
        stiffness, damping = doc["stiffness"], doc["damping"]
        keys = list(stiffness) + list(damping)
        if keys[0] != "Kxx" or keys[15] != "Cyp" or len(keys) != 16:
            failures.append(f"{name}.results.json: keys {keys}")
        table = [[doc["frequency_hz"][i], doc["frequency_rad_s"][i]] + [doc[group][k][i] for group in ("stiffness", "damping") for k in doc[group]]
                 for i in range(len(doc["frequency_rad_s"]))]
        compare_rows(name + ".results.json", impedance, table, 17)
        for k in keys:
            if k not in doc["units"]:
                failures.append(f"{name}.results.json: no unit for {k}")
    elif "stiffness" in doc or doc["frequency_rad_s"]:
        failures.append(f"{name}.results.json: impedance without MATRIX")
    if response:
        r = doc["response"]
        names = list(r["amplitudes"])
        if names != ["UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"]:
            failures.append(f"{name}.results.json: amplitudes {names}")
        table = [[r["frequency_hz"][i], r["frequency_rad_s"][i]] + [r["amplitudes"][a][i] for a in names]
                 for i in range(len(r["frequency_rad_s"]))]
        compare_rows(name + ".results.json response", response, table, 7)
    elif "response" in doc:
        failures.append(f"{name}.results.json: a response for a load that is not harmonic")

for failure in failures[:20]:
    print("FAILED:", failure)
if failures:
    sys.exit(1)
print(f"results read back: {len(sys.argv) - 2} projects, every number the graphic data file's float")
