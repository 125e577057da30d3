#!/usr/bin/env python3
"""Reads the exported results back with Python's csv and json modules and
compares every number with the engine's results file of the same run, as a
float (single precision, exactly); checks that the graphic data file agrees
with the results file within its printed digits:
results_readback.py FOLDER NAME [NAME ...] (NAME.tvj, NAME.tvp,
NAME.impedance.csv, NAME.response.csv, NAME.results.json in FOLDER)."""
import csv
import json
import math
import os
import struct
import sys

STIFFNESS = ["Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp"]
DAMPING = ["Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp"]
DOF = ["UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"]


def f32(x):
    """The float (single precision) nearest to x; None (JSON null) and NaN read as NaN."""
    if x is None:
        return math.nan
    return struct.unpack("f", struct.pack("f", float(x)))[0]


def hz(omega):
    """Hz as the report derives it: rad/s * 0.5 / 3.14 in single precision."""
    return f32(f32(omega * 0.5) / f32(3.14))


def engine(path):
    """The results file's rows: (impedance rows: rad/s then K then C; response
    rows: rad/s then the six amplitudes; real parts; imaginary parts), as floats."""
    with open(path) as f:
        doc = json.load(f)
    if doc.get("format") != "terva-engine-results" or doc.get("version") != 1:
        failures.append(f"{path}: format {doc.get('format')} version {doc.get('version')}")
    omega = [f32(w) for w in doc["omega"]]
    if len(omega) != doc["count"]:
        failures.append(f"{path}: count {doc['count']} for {len(omega)} frequencies")
    impedance = [[w] + [f32(doc[g][k][i]) for g, keys in (("stiffness", STIFFNESS), ("damping", DAMPING))
                        for k in keys] for i, w in enumerate(omega)]
    response = real = imag = []
    if "response" in doc:
        r = doc["response"]
        response, real, imag = ([[w] + [f32(r[part][k][i]) for k in DOF] for i, w in enumerate(omega)]
                                for part in ("amplitude", "real", "imag"))
    return impedance, response, real, imag


def graphic(path):
    """(count, impedance rows, response rows) of a graphic data file, as printed."""
    with open(path) as f:
        lines = [l.split() for l in f if l.strip()]
    count = int(lines[0][0])
    records = lines[1:]
    impedance, response = [], []
    if records and len(records[0]) == 9:
        for k in range(count):
            k_row, c_row = records[2 * k], records[2 * k + 1]
            impedance.append([float(k_row[0])] + [float(v) for v in k_row[1:]] + [float(v) for v in c_row[1:]])
        records = records[2 * count:]
    for r in records[:count]:
        response.append([float(v) for v in r])
    return count, impedance, response


failures = []


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b))


def check(what, got, want):
    if not same(f32(got), want):
        failures.append(f"{what}: {got!r} reads back as {f32(got)!r}, the results file has {want!r}")


def compare_rows(name, rows, table, columns, with_hz=True):
    if len(table) != len(rows):
        failures.append(f"{name}: {len(table)} rows, the results file has {len(rows)}")
        return
    for i, (row, want) in enumerate(zip(table, rows)):
        if with_hz:
            check(f"{name} row {i + 1} Hz", row[0], hz(want[0]))
            row = row[1:]
        for j in range(columns):
            check(f"{name} row {i + 1} column {j + 1}", row[j], want[j])


def printed_agrees(name, printed, full, relative):
    """The graphic data file's rows within their printed digits of the results file's:
    rad/s within 0.5 % or 0.005 (E10.3 or F7.2), the values within `relative`."""
    if len(printed) != len(full):
        failures.append(f"{name}: {len(printed)} rows in the graphic data file, {len(full)} in the results file")
        return
    for i, (p, f) in enumerate(zip(printed, full)):
        if not abs(p[0] - f[0]) <= max(5.01e-3 * abs(f[0]), 0.00501):
            failures.append(f"{name} row {i + 1}: {p[0]} rad/s printed for {f[0]}")
        for j in range(1, len(p)):
            if not abs(p[j] - f[j]) <= relative * abs(f[j]) + 1e-37:
                failures.append(f"{name} row {i + 1} column {j + 1}: {p[j]} printed for {f[j]}")


folder = sys.argv[1]
for name in sys.argv[2:]:
    base = os.path.join(folder, name)
    impedance, response, real, imag = engine(base + ".tvj")
    count, printed_impedance, printed_response = graphic(base + ".tvp")
    if count != len(impedance):
        failures.append(f"{name}.tvp: count {count}, the results file has {len(impedance)} frequencies")
    if printed_impedance:  # MATRIX: E10.3
        printed_agrees(name + ".tvp", printed_impedance, impedance, 5.01e-3)
    if printed_response or response:  # 1PE11.4
        printed_agrees(name + ".tvp response", printed_response, response, 5.01e-5)

    # CSV: one header line with units, then one row per frequency; the impedance
    # with or without MATRIX, the response for harmonic loads
    for suffix, rows, columns, first in ((".impedance.csv", impedance, 17, "Kxx ("),
                                         (".response.csv", response, 7, "UOX (")):
        path = base + suffix
        if not rows:
            if os.path.exists(path):
                failures.append(f"{path} written for a run without such rows")
            continue
        if not os.path.exists(path):
            failures.append(f"{path} missing")
            continue
        with open(path, newline="") as f:
            table = list(csv.reader(f))
        header = table[0]
        if header[:2] != ["frequency (Hz)", "frequency (rad/s)"] or not header[2].startswith(first):
            failures.append(f"{path}: header {header}")
        compare_rows(path, rows, [[float(v) for v in r] for r in table[1:]], columns)

    # JSON: the same numbers in one object, with one frequency list
    with open(base + ".results.json") as f:
        doc = json.load(f)
    if doc["format"] != "terva-results" or doc["version"] != 2:
        failures.append(f"{name}.results.json: format {doc['format']} version {doc['version']}")
    if doc.get("precision") != "single" or doc.get("results_file") != base + ".tvj":
        failures.append(f"{name}.results.json: precision {doc.get('precision')}, "
                        f"results file {doc.get('results_file')}")
    stiffness, damping = doc.get("stiffness", {}), doc.get("damping", {})
    if list(stiffness) + list(damping) != STIFFNESS + DAMPING:
        failures.append(f"{name}.results.json: keys {list(stiffness) + list(damping)}")
    else:
        for k in STIFFNESS + DAMPING:
            if k not in doc["units"]:
                failures.append(f"{name}.results.json: no unit for {k}")
        table = [[doc["frequency_hz"][i], doc["frequency_rad_s"][i]] +
                 [doc[group][k][i] for group in ("stiffness", "damping") for k in doc[group]]
                 for i in range(len(doc["frequency_rad_s"]))]
        compare_rows(name + ".results.json", impedance, table, 17)
    if response:
        r = doc.get("response", {})
        if "frequency_rad_s" in r or "frequency_hz" in r:
            failures.append(f"{name}.results.json: a second frequency list in the response")
        for part, rows in (("amplitudes", response), ("real", real), ("imag", imag)):
            if list(r.get(part, {})) != DOF:
                failures.append(f"{name}.results.json: response {part}: {list(r.get(part, {}))}")
                continue
            table = [[doc["frequency_rad_s"][i]] + [r[part][a][i] for a in DOF] for i in range(len(doc["frequency_rad_s"]))]
            compare_rows(f"{name}.results.json response {part}", rows, table, 7, with_hz=False)
    elif "response" in doc:
        failures.append(f"{name}.results.json: a response for a load that is not harmonic")

for failure in failures[:20]:
    print("FAILED:", failure)
if failures:
    sys.exit(1)
print(f"results read back: {len(sys.argv) - 2} projects, every number the results file's float")
