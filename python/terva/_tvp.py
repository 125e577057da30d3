"""Reader of the engine's graphic data file (.tvp).

The file holds a count line (the number of frequencies Nf), then, when the
input asked for the constants (MATRIX), Nf pairs of lines of nine values
(omega and the eight stiffness constants; omega and the eight damping
constants), then, for harmonic loads, Nf response lines of seven values
(omega and the six amplitudes).  Which parts are present is told by the
number of values on each line.
"""

import numpy as np

STIFFNESS = ("Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp")
DAMPING = ("Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp")


def _number(word, path, line_no):
    try:
        return float(word)
    except ValueError:
        raise ValueError(f"{path}: line {line_no}: '{word}' is not a number") from None


def read(path):
    """Returns a dict with "count", "frequency_rad_s", "stiffness", "damping"
    (absent without constants) and "response" (absent without response lines):
    {"frequency_rad_s": array, "amplitudes": (Nf, 6) array}."""
    with open(path, "r", encoding="latin-1") as f:
        rows = [(n, line.split()) for n, line in enumerate(f, 1) if line.strip()]
    if not rows:
        raise ValueError(f"{path}: empty graphic data file")
    count = int(_number(rows[0][1][0], path, rows[0][0]))
    pairs, responses = [], []
    for n, words in rows[1:]:
        values = [_number(w, path, n) for w in words]
        if len(values) == 9:
            pairs.append(values)
        elif len(values) == 7:
            responses.append(values)
        else:
            raise ValueError(f"{path}: line {n}: {len(values)} values, expected 9 or 7")
    out = {"count": count}
    if pairs:
        if len(pairs) != 2 * count:
            raise ValueError(f"{path}: {len(pairs)} constant lines for {count} frequencies")
        k = np.array(pairs[0::2], dtype=float)
        c = np.array(pairs[1::2], dtype=float)
        out["frequency_rad_s"] = k[:, 0]
        out["stiffness"] = {name: k[:, i + 1] for i, name in enumerate(STIFFNESS)}
        out["damping"] = {name: c[:, i + 1] for i, name in enumerate(DAMPING)}
    if responses:
        if len(responses) != count:
            raise ValueError(f"{path}: {len(responses)} response lines for {count} frequencies")
        r = np.array(responses, dtype=float)
        out["response"] = {"frequency_rad_s": r[:, 0], "amplitudes": r[:, 1:]}
    return out
