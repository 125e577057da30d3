"""Reader of the engine's results file (.tvj beside the project).

A JSON document holding every number of a run at the engine's own single
precision, each written in the shortest form that reads back to the same
float (read here as a Python float and rounded to float32, it is the
engine's float exactly); values that are no finite number are null and read
as NaN.  Its keys: "format" ("terva-engine-results"), "version" (1),
"title", "foundation", "load", "dimensionless", "units", "hz", "count",
"omega" (rad/s), "stiffness" {Kxx ... Kyp} and "damping" {Cxx ... Cyp} at
every frequency (with or without the MATRIX option); for harmonic loads
"response" {"amplitude", "real", "imag"} (the amplitudes and the complex
motions of the centre of gravity, each {UOX ... EPOZ}); for transient loads
"transient" {"time", "history" {six}, "spectrum" {"real" {six}, "imag"
{six}}}; for random loads "random" {"spectrum" {six}, "peak_factor",
"maximum"}.

A results file belongs to a run's graphic data file when it has the same
number of frequencies and every frequency the graphic data file prints
agrees with it within the printed digits; one left beside newer results by
an earlier run is not used.
"""

import json

import numpy as np

from ._tvp import DAMPING, STIFFNESS

FORMAT = "terva-engine-results"
VERSION = 1
DOF = ("UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ")


def _floats(values, where):
    """float32 values (null -> NaN) widened to float64: the engine's floats exactly."""
    if not isinstance(values, list):
        raise ValueError(f"{where}: not a list")
    try:
        return np.array([np.nan if v is None else v for v in values], dtype=np.float32).astype(float)
    except (TypeError, ValueError):
        raise ValueError(f"{where}: not a list of numbers") from None


def _six(block, n, where):
    """A {UOX ... EPOZ} block as an (n, 6) array."""
    if not isinstance(block, dict) or any(k not in block for k in DOF):
        raise ValueError(f"{where}: not the six degrees of freedom")
    columns = [_floats(block[k], f"{where}.{k}") for k in DOF]
    if any(len(c) != n for c in columns):
        raise ValueError(f"{where}: lists of another length than {n}")
    return np.column_stack(columns).reshape(n, 6)


def read(path):
    """The results file as arrays: {"title", "foundation", "load", "dimensionless",
    "units", "count", "omega", "stiffness" {name: (N,)}, "damping" {name: (N,)}} and,
    by load, "amplitudes" (N, 6) and "motions" (N, 6) complex; "time" (Nt,),
    "history" (Nt, 6) and "spectrum" (N, 6) complex; "spectrum" (N, 6),
    "peak_factor" (6,) and "maximum" (6,).  Raises ValueError (OSError when it
    cannot be read) for a file that is not a results file of this version or
    whose lists disagree in length."""
    with open(path, "r", encoding="utf-8") as f:
        try:
            doc = json.load(f)
        except ValueError as e:
            raise ValueError(f"{path}: not JSON: {e}") from None
    if not isinstance(doc, dict) or doc.get("format") != FORMAT:
        raise ValueError(f"{path}: not an engine results file")
    if doc.get("version") != VERSION:
        raise ValueError(f"{path}: results file version {doc.get('version')!r}, this package reads {VERSION}")
    omega = _floats(doc.get("omega"), f"{path}: omega")
    n = len(omega)
    if doc.get("count") != n:
        raise ValueError(f"{path}: count {doc.get('count')!r} for {n} frequencies")
    out = {k: doc.get(k) for k in ("title", "foundation", "load", "dimensionless", "units")}
    out.update({"count": n, "omega": omega})
    for group, names in (("stiffness", STIFFNESS), ("damping", DAMPING)):
        block = doc.get(group)
        if not isinstance(block, dict) or any(k not in block for k in names):
            raise ValueError(f"{path}: {group}: not the eight constants")
        out[group] = {k: _floats(block[k], f"{path}: {group}.{k}") for k in names}
        if any(len(v) != n for v in out[group].values()):
            raise ValueError(f"{path}: {group}: lists of another length than {n}")
    if "response" in doc:
        r = doc["response"]
        out["amplitudes"] = _six(r.get("amplitude"), n, f"{path}: response.amplitude")
        out["motions"] = _six(r.get("real"), n, f"{path}: response.real") + \
            1j * _six(r.get("imag"), n, f"{path}: response.imag")
    if "transient" in doc:
        t = doc["transient"]
        out["time"] = _floats(t.get("time"), f"{path}: transient.time")
        out["history"] = _six(t.get("history"), len(out["time"]), f"{path}: transient.history")
        s = t.get("spectrum") or {}
        out["spectrum"] = _six(s.get("real"), n, f"{path}: transient.spectrum.real") + \
            1j * _six(s.get("imag"), n, f"{path}: transient.spectrum.imag")
    if "random" in doc:
        q = doc["random"]
        out["spectrum"] = _six(q.get("spectrum"), n, f"{path}: random.spectrum")
        for key in ("peak_factor", "maximum"):
            out[key] = _floats(q.get(key), f"{path}: random.{key}")
            if len(out[key]) != 6:
                raise ValueError(f"{path}: random.{key}: not six values")
    return out


def matches(results, count, printed):
    """Whether `results` (from read) belong to the graphic data file whose count
    line says `count` and whose frequencies are `printed` (rad/s as printed;
    empty when it prints none): E10.3 keeps three significant digits and F7.2
    two decimals, either within 0.5 % or 0.005 of the value."""
    omega = results["omega"]
    if count != len(omega):
        return False
    printed = np.asarray(printed, dtype=float)
    if printed.size == 0:
        return True
    if printed.shape != omega.shape:
        return False
    return bool(np.all(np.abs(printed - omega) <= np.maximum(5.01e-3 * np.abs(omega), 0.00501)))
