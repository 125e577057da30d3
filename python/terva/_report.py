"""What the package reads from the engine's report (.tvo).

Every array comes from the engine's results file (.tvj) where it belongs to
the run.  The report is read for the engine's messages and, for older results
without that file, for what the graphic data file does not carry:

- the transient response: the table under "FOOTING RESPONSE AMPLITUDES" of a
  transient run, one row per time point: the time (printed with two
  decimals), then UOX, UOY, UOZ, EPOX, EPOY, EPOZ;
- the random response: the table under "PEAK FACTOR (G)" (per degree of
  freedom its peak factor and maximum displacement) and the two tables
  "RESPONSE SPECTRA CURVE OF TRANSLATION" (X direction) and "RESPONSE SPECTRA
  CURVE OF ROTATION" (about Y): omega in rad/s and the spectral ordinate;
- the engine's messages, for the exception of a failed run;
- on request (Result.report_constants), the stiffness and damping constants
  of the blocks "STIFFNESS CONSTANTS (K)" and "DAMPING CONSTANTS (C)", printed
  with six significant digits where the graphic data file keeps three.

Numbers are read with float(), which does not follow the locale.

A field the engine could not fit prints as asterisks and reads as NaN.
"""

import re

import numpy as np

# Words that the engine's error and refusal messages contain.  Notices that
# only switch an option off (a misplaced keyword, an ignored SIDE-CAP) are
# not errors but are kept when they appear in a failed run.
_ERROR_WORDS = re.compile(
    r"ERROR|INVALID|UNRECOGNIZED|WILL NOT EXECUTE|WILL TERMINATE|CANNOT|IMPROPER|NOT GOOD|"
    r"INADMISSABLE|EXCEEDS|EXPECTED|MISSING|INSUFFICIENT|NOT SET|TERMINATED|PRECEEDED|"
    r"CHECK YOUR|IGNORED|NOT ALLOWED|END OF FILE|BAD DATA")

_NUMBER = re.compile(r"^[-+]?(\d+\.?\d*|\.\d+)([EeDd][-+]?\d+)?$")


def _value(word):
    if set(word) == {"*"}:
        return float("nan")
    return float(word.replace("D", "E").replace("d", "e"))


def _numeric_row(line):
    words = line.split()
    if not words or not all(_NUMBER.match(w) or set(w) == {"*"} for w in words):
        return None
    return [_value(w) for w in words]


def error_lines(text):
    """The report's message lines (errors, refusals, notices), stripped, in order."""
    return [line.strip() for line in text.splitlines() if _ERROR_WORDS.search(line)]


def _table_after(lines, heading, width, start=0):
    """Rows of `width` numbers following the first line containing `heading`
    (after `start`); the table ends at the first line that is not such a row
    once rows have begun.  Returns (rows, index after the table)."""
    i = start
    while i < len(lines) and heading not in lines[i]:
        i += 1
    if i == len(lines):
        return None, start
    rows = []
    i += 1
    while i < len(lines):
        row = _numeric_row(lines[i])
        if row is not None and len(row) == width:
            rows.append(row)
        elif rows and lines[i].strip():
            break
        elif rows and not lines[i].strip():
            break
        i += 1
    return np.array(rows, dtype=float).reshape(-1, width), i


def transient(text):
    """{"time": (Nt,), "displacements": (Nt, 6)} or None."""
    rows, _ = _table_after(text.splitlines(), "FOOTING RESPONSE AMPLITUDES", 7)
    if rows is None:
        return None
    return {"time": rows[:, 0], "displacements": rows[:, 1:]}


def random(text):
    """{"peak_factor": (6,), "max_displacement": (6,), "spectrum_frequency_rad_s": (N,),
    "translation_x": (N,), "rotation_y": (N,)} or None."""
    lines = text.splitlines()
    peaks, _ = _table_after(lines, "PEAK FACTOR (G)", 3)
    if peaks is None:
        return None
    out = {"peak_factor": np.full(6, np.nan), "max_displacement": np.full(6, np.nan)}
    for dof, factor, maximum in peaks:
        if 1 <= dof <= 6:
            out["peak_factor"][int(dof) - 1] = factor
            out["max_displacement"][int(dof) - 1] = maximum
    trans, _ = _table_after(lines, "RESPONSE SPECTRA CURVE OF TRANSLATION", 2)
    rot, _ = _table_after(lines, "RESPONSE SPECTRA CURVE OF ROTATION", 2)
    if trans is not None:
        out["spectrum_frequency_rad_s"] = trans[:, 0]
        out["translation_x"] = trans[:, 1]
    if rot is not None:
        out["rotation_y"] = rot[:, 1]
    return out


def header(text):
    """Title, unit system, foundation and load from the report's echo, for a
    terva-batch without the JSON export."""
    out = {"title": "", "unit_system": "", "foundation": {"code": 0, "name": ""},
           "load": {"code": 0, "name": ""}}
    lines = text.splitlines()
    for line in lines:
        m = re.search(r"GRAVITATIONAL CONSTANT SET TO\s*([-+.\dEe]+)", line)
        if m:
            out["unit_system"] = "English" if float(m.group(1)) > 10.0 else "SI"
        m = re.search(r"FOUNDATION TYPE - (\S+)", line)
        if m:
            name = m.group(1)
            codes = {"HALF-SPACE": 1, "PILE": 2, "STRATUM": 3, "MULTILAYER": 4}
            out["foundation"] = {"code": codes.get(name, 0), "name": name}
        for code, word in ((1, "HARMONIC LOAD"), (2, "TRANSIENT LOAD"), (3, "RANDOM LOAD")):
            if line.strip().startswith(word):
                out["load"] = {"code": code, "name": word.split()[0].lower()}
    return out


_CONSTANT = re.compile(r"\((K|C)(XX|YY|WW|PPX|PPY|ZT|XP|YP)\)[ .]*([-+]?\d+\.\d*E[-+]\d+|\*+)")


def constants(text):
    """{"Kxx": [...], ..., "Cyp": [...]}: every K and C line of the report, in frequency order."""
    out = {}
    for m in _CONSTANT.finditer(text):
        name = m.group(1) + m.group(2).lower()
        out.setdefault(name, []).append(_value(m.group(3)))
    return out
