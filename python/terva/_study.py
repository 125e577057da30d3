"""terva.sweep: a parametric or Monte Carlo study as an xarray Dataset.

    base = terva.Input("S").circle(2.0).mass(100, 200, 200, 300) \\
        .half_space(200, 18.5, 0.33, 0.05).harmonic(200, 5, 5, force=(0, 0, 10, 0, 0, 0))
    ds = terva.sweep(base, vs=[150, 200, 250], damping=[0.02, 0.05])
    ds.UOZ.sel(vs=200, damping=0.05)        # the vertical amplitude against frequency
    ds.to_netcdf("study.nc")

Every point runs through run_many (on this machine, or on a Dask cluster or
any executor); the numbers are the engine's floats from its results files.
"""

import itertools
import numbers

import numpy as np

from ._run import DAMPING as _C_NAMES, DOF, STIFFNESS as _K_NAMES, Result, TervaError, Text, run_many
from ._run import _constant_units, _hz

# The units of the Input methods' arguments, by unit system.
_LENGTH = {"SI": "m", "English": "ft"}
_ARGUMENT_UNITS = {
    "vs": {"SI": "m/s", "English": "ft/s"},
    "unit_weight": {"SI": "kN/m3", "English": "lb/ft3"},
    "poisson": {"SI": "1", "English": "1"},
    "damping": {"SI": "1", "English": "1"},
    "radius": _LENGTH, "length_x": _LENGTH, "width_y": _LENGTH, "depth": _LENGTH, "embedment": _LENGTH,
    "cg_height": _LENGTH, "length": _LENGTH,
    "mass": {"SI": "Mg", "English": "slug"},
    "ix": {"SI": "Mg m2", "English": "slug ft2"}, "iy": {"SI": "Mg m2", "English": "slug ft2"},
    "iz": {"SI": "Mg m2", "English": "slug ft2"}, "ixy": {"SI": "Mg m2", "English": "slug ft2"},
    "ixz": {"SI": "Mg m2", "English": "slug ft2"}, "iyz": {"SI": "Mg m2", "English": "slug ft2"},
    "max_frequency": {"SI": "rad/s", "English": "rad/s"}, "min_frequency": {"SI": "rad/s", "English": "rad/s"},
    "step": {"SI": "rad/s", "English": "rad/s"},
    "young": {"SI": "kN/m2", "English": "lb/ft2"},
    "area": {"SI": "m2", "English": "ft2"}, "inertia": {"SI": "m4", "English": "ft4"},
    "torsion": {"SI": "m4", "English": "ft4"},
    "static_load": {"SI": "kN", "English": "lb"},
}
_NAMES = {"vs": "shear wave velocity", "unit_weight": "unit weight", "poisson": "Poisson's ratio",
          "damping": "material damping ratio", "depth": "stratum depth", "embedment": "embedment",
          "radius": "radius", "cg_height": "height of the centre of gravity"}
_MOTIONS = {"UOX": "translation X", "UOY": "translation Y", "UOZ": "translation Z",
            "EPOX": "rotation about X", "EPOY": "rotation about Y", "EPOZ": "rotation about Z"}


def _argument_name(axis):
    return axis.split("__", 1)[1] if "__" in axis else axis


def _points(axes, points):
    """(dimension names, shape, coordinates {name: (dims, values)}, the points
    as a list of dicts in C order)."""
    if points is not None:
        if axes:
            raise ValueError("give axes or points, not both")
        if isinstance(points, dict):
            names = list(points)
            columns = [list(points[n]) for n in names]
            if len({len(c) for c in columns}) > 1:
                raise ValueError("the points' columns differ in length")
            rows = [dict(zip(names, values)) for values in zip(*columns)]
        else:
            rows = [dict(p) for p in points]
            names = list(rows[0]) if rows else []
            if any(set(r) != set(names) for r in rows):
                raise ValueError("every point must set the same parameters")
        if not rows:
            raise ValueError("no points")
        coords = {n: (("point",), [r[n] for r in rows]) for n in names}
        coords["point"] = (("point",), np.arange(len(rows)))
        return ["point"], (len(rows),), coords, rows
    if not axes:
        raise ValueError("sweep needs at least one axis (vs=[...], ...) or points")
    names = list(axes)
    values = []
    for n in names:
        v = list(axes[n]) if not isinstance(axes[n], (str, bytes)) else [axes[n]]
        if not v:
            raise ValueError(f"the axis {n} has no values")
        values.append(v)
    rows = [dict(zip(names, combination)) for combination in itertools.product(*values)]
    coords = {n: ((n,), v) for n, v in zip(names, values)}
    return names, tuple(len(v) for v in values), coords, rows


def _coordinate(values):
    """Numbers as a numeric array; anything else (tuples, texts) as text."""
    if all(isinstance(v, numbers.Real) and not isinstance(v, bool) for v in values):
        return np.asarray(values, dtype=float)
    return np.asarray([str(v) for v in values], dtype=object)


def _project(base, point):
    """The project of one point: an Input, a terva.Text or a path."""
    if callable(base) and not hasattr(base, "with_values"):
        made = base(**point)
    else:
        made = base.with_values(**point)
    if hasattr(made, "text") and callable(made.text):
        return made
    if isinstance(made, Text):
        return made
    raise TypeError(f"the base function returned {type(made).__name__}: an Input or a terva.Text is needed")


def sweep(base, points=None, *, jobs=None, timeout=None, executor=None, progress=None, chunksize=None, **axes):
    """Runs a parametric study and returns it as an ``xarray.Dataset``.

    ``base``: a ``terva.Input``, whose calls are replayed with each point's values
    (``Input.with_values``), or a function of the axes' values (keyword arguments)
    returning an Input (or a ``terva.Text``) -- for pile spacing and the like.

    ``**axes``: ``name=[values]``, the name an argument of the Input method that sets
    it (``vs``, ``damping``, ``unit_weight``, ``poisson``, ``depth``, ``embedment``,
    ``radius``, ``cg_height``, ``max_frequency`` ...; "method__name" where two calls
    take the name); every combination runs, the dimensions in the order given.
    ``points`` instead (Monte Carlo, or any list): a list of dicts ``{name: value}`` or
    a dict of equal-length sequences; one dimension "point", the parameters as
    coordinates along it.

    ``jobs``, ``timeout``, ``executor``, ``progress`` and ``chunksize`` go to
    ``run_many`` (a Dask client runs the points on its cluster).

    The Dataset's dimensions are the axes (or "point") and "frequency" (rad/s; the
    coordinate ``frequency_hz`` beside it is rad/s * 0.5 / 3.14, the report's rule).
    Data variables, float32 as the engine computes them: the stiffness constants Kxx
    Kyy Kww Kppx Kppy Kzt Kxp Kyp and damping constants Cxx ... Cyp at the centre of
    gravity; for harmonic loads the amplitudes UOX UOY UOZ EPOX EPOY EPOZ and the
    complex motions as their parts UOX_real, UOX_imag ... (netCDF has no complex
    type; ``terva.motion(ds, "UOZ")`` joins them); ``failed`` (bool) and ``error``
    (the failure's first line, "" where none) at each point.  A failed point's
    numbers are NaN; the others are complete.  Units are in each variable's
    ``attrs["units"]``; ``ds.to_netcdf(path)`` writes it all.

    Raises ValueError for an axis no call of the base takes (before anything runs)
    and TervaError when every point failed."""
    import xarray as xr

    dims, shape, coords, rows = _points(axes, points)
    if not callable(base) or hasattr(base, "with_values"):
        if not hasattr(base, "with_values"):
            raise TypeError("base must be a terva.Input or a function returning one")
        unknown = [name for name in rows[0] if name not in base.parameters()]
        if unknown:
            base.with_values(**{unknown[0]: None})  # raises the ValueError that says why, before any run
    projects, outcomes = [], [None] * len(rows)
    for k, row in enumerate(rows):
        try:
            projects.append((k, _project(base, row)))
        except (ValueError, TypeError) as e:  # this point's values are refused: the others still run
            outcomes[k] = TervaError(f"point {_describe(row)}: {e}")
    if projects:
        done = run_many([p for _, p in projects], jobs=jobs, timeout=timeout, executor=executor,
                        errors="return", progress=progress, chunksize=chunksize)
        for (k, _), outcome in zip(projects, done):
            outcomes[k] = outcome
    results = [o for o in outcomes if isinstance(o, Result)]
    if not results:
        first = next(o for o in outcomes if isinstance(o, TervaError))
        raise TervaError(f"every point of the study failed; the first: {first.message}", first.lines)

    system = results[0].unit_system or getattr(base, "units", "SI")
    if system not in _LENGTH:
        system = "SI"
    frequency = np.unique(np.concatenate([r.frequency_rad_s for r in results]))
    n = len(frequency)
    harmonic = any(r.motions is not None for r in results)
    names = list(_K_NAMES) + list(_C_NAMES)
    data = {name: np.full(shape + (n,), np.nan, dtype=np.float32) for name in names}
    if harmonic:
        for m in DOF:
            for suffix in ("", "_real", "_imag"):
                data[m + suffix] = np.full(shape + (n,), np.nan, dtype=np.float32)
    failed = np.zeros(shape, dtype=bool)
    error = np.full(shape, "", dtype=object)
    for k, outcome in enumerate(outcomes):
        at = np.unravel_index(k, shape)
        if isinstance(outcome, TervaError):
            failed[at] = True
            error[at] = outcome.message + (f": {outcome.lines[0]}" if outcome.lines else "")
            continue
        columns = np.searchsorted(frequency, outcome.frequency_rad_s)
        if outcome.stiffness:
            for name in _K_NAMES:
                data[name][at + (columns,)] = outcome.stiffness[name]
            for name in _C_NAMES:
                data[name][at + (columns,)] = outcome.damping[name]
        if harmonic and outcome.motions is not None:
            columns = np.searchsorted(frequency, outcome.response_frequency_rad_s)
            for j, m in enumerate(DOF):
                data[m][at + (columns,)] = outcome.amplitudes[:, j]
                data[m + "_real"][at + (columns,)] = outcome.motions[:, j].real
                data[m + "_imag"][at + (columns,)] = outcome.motions[:, j].imag

    first = results[0]
    full = tuple(dims) + ("frequency",)
    variables = {}
    for name in names:
        kind = "stiffness" if name[0] == "K" else "damping"
        variables[name] = (full, data[name], {"units": first.units.get(name) or _constant_units(system)[name],
                                             "long_name": f"{kind} constant {name} at the centre of gravity"})
    if harmonic:
        for m in DOF:
            unit = first.units.get(m, _LENGTH[system] if m.startswith("UO") else "rad")
            variables[m] = (full, data[m], {"units": unit, "long_name": f"amplitude of the {_MOTIONS[m]}"})
            for suffix, part in (("_real", "real"), ("_imag", "imaginary")):
                variables[m + suffix] = (full, data[m + suffix], {
                    "units": unit, "long_name": f"{part} part of the complex {_MOTIONS[m]} (u = Re(U exp(i w t)))"})
    variables["failed"] = (tuple(dims), failed, {"long_name": "the point gave no results"})
    variables["error"] = (tuple(dims), error.astype(str), {"long_name": "why the point failed"})

    coordinates = {"frequency": ("frequency", frequency, {"units": "rad/s", "long_name": "circular frequency"}),
                   "frequency_hz": ("frequency", _hz(frequency),
                                    {"units": "Hz", "long_name": "frequency (rad/s * 0.5 / 3.14)"})}
    for name, (along, values) in coords.items():
        attrs = {}
        if name != "point":
            argument = _argument_name(name)
            unit = _ARGUMENT_UNITS.get(argument, {}).get(system)
            if unit:
                attrs["units"] = unit
            attrs["long_name"] = _NAMES.get(argument, argument.replace("_", " "))
        coordinates[name] = (along, _coordinate(values), attrs)

    from . import __version__
    attrs = {"title": first.title, "unit_system": system, "foundation": str(first.foundation.get("name", "")),
             "load": str(first.load.get("name", "")),
             "precision": next((r.precision for r in results if r.precision != "single"), "single"),
             "source": f"TERVA {__version__}", "points": len(rows), "failed_points": int(failed.sum())}
    return xr.Dataset(variables, coords=coordinates, attrs=attrs)


def _describe(row):
    return ", ".join(f"{k}={v}" for k, v in row.items())


def motion(ds, name):
    """The complex motion ``name`` (UOX ... EPOZ) of a study's Dataset, from its
    real and imaginary parts."""
    return ds[name + "_real"].astype(np.complex64) + 1j * ds[name + "_imag"].astype(np.complex64)
