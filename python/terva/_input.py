"""terva.Input: a project file from Python values, for the common cases.

    i = terva.Input("COMPRESSOR BLOCK", units="SI")
    i.rectangle(6.0, 4.0)
    i.mass(120.0, 300.0, 500.0, 650.0)
    i.half_space(vs=250.0, unit_weight=19.0, poisson=0.33, damping=0.05, cg_height=1.0)
    i.harmonic(300.0, 10.0, 2.0, force=(0, 0, 10.0, 0, 0, 0))
    i.save("compressor.tvd")       # opens in the program; terva-batch runs it
    result = terva.run(i)          # or terva.run(i.text())

text() and save() give the program's project layout (the engine reads it
too); free_text() gives the engine's free keyword layout of the same input.

Units are those of the chosen system: SI kN, Mg (t), m, s; English lbs, slug,
ft, s.  Frequencies are circular frequencies in rad/s, as the engine reads
them.  The methods check what the engine would refuse (counts, the stratum's
embedment limits, Poisson's ratio below 0.5, a frequency range of at most
1024 points) and raise ValueError before any file is written.
"""

import functools
import inspect
import math
import re
import warnings

_GRAVITY = {"SI": 9.81, "English": 32.2}
_TITLE_CHARS = re.compile(r"^[A-Z0-9 .()/+-]*$")


def _n(x):
    """A number as the input text holds it: format() never follows the locale."""
    x = float(x)
    if not math.isfinite(x):
        raise ValueError(f"not a finite number: {x}")
    return f"{x:.8G}"


def _g(x):
    """A number as the program writes it: up to 8 significant digits, no
    trailing zeros, plain from 1E-5 to below 1E8, else with an exponent."""
    x = float(x)
    if not math.isfinite(x):
        raise ValueError(f"not a finite number: {x}")
    if x == 0.0:
        return "0"
    mantissa, exponent = f"{abs(x):.7e}".split("e")
    digits = mantissa.replace(".", "").rstrip("0") or "0"
    e = int(exponent)
    sign = "-" if x < 0 else ""
    if -5 <= e <= 7:
        if e >= 0:
            whole = digits[:e + 1].ljust(e + 1, "0")
            return sign + whole + ("." + digits[e + 1:] if len(digits) > e + 1 else "")
        return sign + "0." + "0" * (-e - 1) + digits
    return sign + digits[0] + ("." + digits[1:] if len(digits) > 1 else "") + f"E{e}"


def _wide(x):
    """The wide number of the program's trailer: sign or blank, 15 digits, a
    four-digit exponent."""
    x = float(x) + 0.0
    mantissa, exponent = f"{abs(x):.14E}".split("E")
    e = int(exponent)
    return ("-" if x < 0 else " ") + mantissa + "E" + ("-" if e < 0 else "+") + f"{abs(e):04d}"


class _Lines:
    """Lines of a project file; a run of values longer than the engine reads
    (80 characters) goes on over further lines."""

    def __init__(self):
        self._lines = []

    def line(self, text):
        self._lines.append(text)

    def values(self, values, blank=False, number=None):
        words = ([str(number)] if number is not None else []) + [_g(v) for v in values]
        end = " " if blank else ""
        line = ""
        for word in words:
            if line and len(line) + 1 + len(word) + len(end) > 80:
                self._lines.append(line + end)
                line = ""
            line = line + " " + word if line else word
        self._lines.append(line + end)

    def text(self):
        return "\n".join(self._lines) + "\n"


def _row(values):
    return ", ".join(_n(v) for v in values)


def _positive(name, value):
    if not float(value) > 0.0:
        raise ValueError(f"{name} must be positive (got {value})")


def _soil(name, vs, unit_weight, poisson, damping):
    _positive(f"{name}: shear wave velocity", vs)
    _positive(f"{name}: unit weight", unit_weight)
    if not 0.0 <= float(poisson) < 0.5:
        raise ValueError(f"{name}: Poisson's ratio must lie in [0, 0.5) (got {poisson})")
    if not 0.0 <= float(damping) < 1.0:
        raise ValueError(f"{name}: material damping must lie in [0, 1) (got {damping})")
    return (float(vs), float(unit_weight), float(poisson), float(damping))


def _recorded(slot):
    """Keeps a setter's call (its arguments, defaults included) under `slot`, so
    that a study can replay the input with one argument replaced (``with_values``)."""
    def wrap(method):
        signature = inspect.signature(method)

        @functools.wraps(method)
        def call(self, *args, **kwargs):
            bound = signature.bind(self, *args, **kwargs)
            bound.apply_defaults()
            result = method(self, *args, **kwargs)
            arguments = dict(bound.arguments)
            del arguments["self"]
            self._calls[slot] = (method.__name__, arguments)
            return result
        return call
    return wrap


_SLOTS = ("shape", "mass", "foundation", "load")


class Input:
    """An input text for a footing on a half-space or a stratum, or a pile group,
    under a harmonic load.  Call one shape method (circle or rectangle), mass,
    one foundation method (half_space, stratum or pile_group) and harmonic;
    text() returns the input as a project file, save() writes it."""

    def __init__(self, title="TERVA PROJECT", units="SI", matrix=True):
        if units not in _GRAVITY:
            raise ValueError("units must be 'SI' or 'English'")
        title = " ".join(str(title).upper().split())[:80]
        if not _TITLE_CHARS.match(title):
            raise ValueError("a title may hold letters, digits, blanks and . ( ) / + - only")
        if any(w in ("T", "H", "F", "Q", "P", "S", "V") for w in title.split()):
            # the engine reads such a letter as a number code: its report's title differs, the analysis not
            warnings.warn(f"the title {title!r} holds a single letter T, H, F, Q, P, S or V standing alone, "
                          "which the engine's report prints as a number", UserWarning, stacklevel=2)
        self.title = title or "TERVA PROJECT"
        self.units = units
        self.matrix = bool(matrix)
        self._calls = {}  # slot -> (method name, its arguments): what with_values replays
        self._shape = None
        self._mass = None
        self._foundation = None
        self._load = None

    # -- geometry and mass -------------------------------------------------
    @_recorded("shape")
    def circle(self, radius):
        _positive("radius", radius)
        self._shape = ("CIRCULAR", [float(radius)])
        return self

    @_recorded("shape")
    def rectangle(self, length_x, width_y):
        _positive("length", length_x)
        _positive("width", width_y)
        self._shape = ("RECTANGULAR", [float(length_x), float(width_y)])
        return self

    @_recorded("mass")
    def mass(self, mass, ix, iy, iz, ixy=0.0, ixz=0.0, iyz=0.0):
        """Mass and mass moments of inertia about axes through the centre of gravity."""
        _positive("mass", mass)
        for name, v in (("ix", ix), ("iy", iy), ("iz", iz)):
            if float(v) < 0.0:
                raise ValueError(f"{name} must not be negative")
        self._mass = [mass, ix, iy, iz, ixy, ixz, iyz]
        return self

    def _radius(self):
        if self._shape is None:
            raise ValueError("call circle() or rectangle() first")
        kind, dims = self._shape
        return dims[0] if kind == "CIRCULAR" else math.sqrt(dims[0] * dims[1] / math.pi)

    # -- foundations -------------------------------------------------------
    @_recorded("foundation")
    def half_space(self, vs, unit_weight, poisson, damping, cg_height=0.0, side_layers=()):
        """A footing on a homogeneous half-space; side_layers = [(thickness, vs,
        unit_weight, poisson, damping), ...] from the base upwards for an embedded
        footing (their thicknesses add up to the embedment)."""
        base = _soil("half-space", vs, unit_weight, poisson, damping)
        layers = []
        for k, layer in enumerate(side_layers, 1):
            thickness, *soil = layer
            _positive(f"side layer {k}: thickness", thickness)
            layers.append((float(thickness),) + _soil(f"side layer {k}", *soil))
        if len(layers) > 30:
            raise ValueError("at most 30 side layers")
        self._foundation = ("HALF-SPACE", {"base": base, "layers": layers, "h": float(cg_height)})
        return self

    @_recorded("foundation")
    def stratum(self, vs, unit_weight, poisson, damping, depth, embedment=0.0, cg_height=0.0):
        """A footing on (or embedded in) a stratum of the given depth over rock.
        The engine's stratum formulas hold for embedment/radius <= 1.5 and
        embedment/depth <= 0.75 (the radius of a rectangle: the mean of its
        equivalent radii)."""
        soil = _soil("stratum", vs, unit_weight, poisson, damping)
        _positive("stratum depth", depth)
        if float(embedment) < 0.0:
            raise ValueError("embedment must not be negative")
        r = self._stratum_radius()
        if embedment / r > 1.5 or embedment / depth > 0.75:
            raise ValueError(f"the stratum formulas need E/R <= 1.5 and E/H <= 0.75 "
                             f"(E/R = {embedment / r:.3f}, E/H = {embedment / depth:.3f})")
        self._foundation = ("STRATUM", {"soil": soil, "E": float(embedment), "H": float(depth),
                                        "h": float(cg_height)})
        return self

    def _stratum_radius(self):
        if self._shape is None:
            raise ValueError("call circle() or rectangle() first")
        kind, dims = self._shape
        if kind == "CIRCULAR":
            return dims[0]
        b1, b2, pi = dims[0], dims[1], 3.14159
        r0 = math.sqrt(b1 * b2 / pi)
        rx = (b2 ** 3 * b1 / (3 * pi)) ** 0.25
        ry = (b1 ** 3 * b2 / (3 * pi)) ** 0.25
        rt = (b1 * b2 * (b1 ** 2 + b2 ** 2) / (6 * pi)) ** 0.25
        return (r0 + r0 + rx + ry + rt) / 5.0

    @_recorded("foundation")
    def pile_group(self, positions, length, soil, below, radius, area, inertia, torsion, young,
                   unit_weight, poisson=0.25, damping=0.02, elements=10, fixed=True, interaction=True,
                   rigidity=0.0, static_load=0.0, cg_height=0.0, end_bearing=False):
        """Identical vertical piles at positions [(x, y), ...] (relative to the
        centre of gravity in plan), each of the given length, cut into `elements`
        equal elements; soil = (vs, unit_weight, poisson, damping) for a
        homogeneous soil or a list of such tuples, one per element from the head
        down; below = the soil under the tips.  radius, area, inertia (about
        either axis), torsion and young describe the pile section and material."""
        positions = [(float(x), float(y)) for x, y in positions]
        if not 1 <= len(positions) <= 500:
            raise ValueError("a pile group has 1 to 500 piles")
        if len(set(positions)) != len(positions):
            raise ValueError("two piles at the same position")
        elements = int(elements)
        if not 1 <= elements <= 30:
            raise ValueError("a pile has 1 to 30 elements")
        _positive("pile length", length)
        for name, v in (("radius", radius), ("area", area), ("inertia", inertia), ("torsion", torsion),
                        ("Young's modulus", young), ("pile unit weight", unit_weight)):
            _positive(name, v)
        if isinstance(soil[0], (int, float)):
            layers = [_soil("soil", *soil)] * elements
        else:
            if len(soil) != elements:
                raise ValueError(f"{len(soil)} soil layers for {elements} elements")
            layers = [_soil(f"soil layer {k}", *s) for k, s in enumerate(soil, 1)]
        if not 0.0 <= float(poisson) < 0.5:
            raise ValueError("the pile's Poisson's ratio must lie in [0, 0.5)")
        self._foundation = ("PILE", {
            "positions": positions, "L": float(length), "layers": layers, "below": _soil("soil below", *below),
            "section": [float(radius), float(area), float(inertia), float(torsion)],
            "constants": [float(length), float(unit_weight), float(static_load), float(poisson),
                          float(damping), float(rigidity), float(young)],
            "elements": elements, "fixed": bool(fixed), "interaction": bool(interaction),
            "end_bearing": bool(end_bearing), "h": float(cg_height)})
        return self

    # -- load --------------------------------------------------------------
    @_recorded("load")
    def harmonic(self, max_frequency, min_frequency, step, force=(0, 0, 0, 0, 0, 0), quadratic=False):
        """A harmonic load from min_frequency to max_frequency (rad/s) in steps;
        force = the six amplitudes (forces X Y Z, moments about X Y Z), or with
        quadratic=True the six coefficients that multiply omega squared."""
        force = [float(v) for v in force]
        if len(force) != 6:
            raise ValueError("six load amplitudes")
        _positive("frequency step", step)
        if float(max_frequency) < float(min_frequency) or float(min_frequency) < 0.0:
            raise ValueError("need 0 <= min_frequency <= max_frequency")
        count = int(math.floor((max_frequency - min_frequency) / step + 1.0 + 0.5))
        if count > 1024:
            raise ValueError(f"{count} frequencies: at most 1024")
        self._load = (bool(quadratic), [max_frequency, min_frequency, step], force)
        return self

    # -- text --------------------------------------------------------------
    def _check(self):
        for what, value in (("circle() or rectangle()", self._shape), ("mass()", self._mass),
                            ("half_space(), stratum() or pile_group()", self._foundation),
                            ("harmonic()", self._load)):
            if value is None:
                raise ValueError(f"the input needs {what}")

    def free_text(self):
        """The same input in the engine's free keyword layout (title on its own
        line, ECHO, comma-separated values, no project trailer): only the
        engine reads it."""
        self._check()
        kind, f = self._foundation
        out = ["TITLE", self.title, "ECHO"]
        if self.matrix:
            out.append("MATRIX")
        out.append(f"GRAVITY={_n(_GRAVITY[self.units])}")
        out.append(f"FOUNDATION={kind}")
        out.append(f"{self._shape[0]}={_row(self._shape[1])}")
        out.append(f"MASS={_row(self._mass)}")
        if kind == "HALF-SPACE":
            out.append(f"CONSTANTS=0.0, 0.0, {_n(f['h'])}")
            out += ["SOIL", "CONSTANTS", str(len(f["layers"]))]
            out += [f"{k}, {_row(layer)}" for k, layer in enumerate(f["layers"], 1)]
            out.append(f"BELOW={_row(f['base'])}")
        elif kind == "STRATUM":
            out.append(f"CONSTANTS=0.0, 0.0, {_n(f['h'])}, {_n(f['E'])}, {_n(f['H'])}")
            out += ["SOIL", f"CONSTANTS={_row(f['soil'])}"]
        else:
            n = f["elements"]
            out.append(f"LAYERS={n}")
            out.append(f"{'FIXED' if f['fixed'] else 'PINNED'}={len(f['positions'])}")
            out += [f"{k}, {_n(x)}, {_n(y)}" for k, (x, y) in enumerate(f["positions"], 1)]
            out.append(f"CONSTANTS=0.0, 0.0, {_n(f['h'])}, {_row(f['constants'])}")
            r, a, i, t = f["section"]
            out.append("ELEMENT")
            out += [f"{k}, {_row([f['L'] / n, r, r, a, i, i, t])}" for k in range(1, n + 1)]
            out.append("END-BEARING" if f["end_bearing"] else "FLOATING")
            if f["interaction"] and len(f["positions"]) > 1:
                out.append("INTERACTION")
            out += ["SOIL", "CONSTANTS"]
            out += [f"{k}, {_row(s)}" for k, s in enumerate(f["layers"], 1)]
            out.append(f"BELOW={_row(f['below'])}")
        quadratic, freq, force = self._load
        out += ["LOAD=HARMONIC", "CONSTANTS", "QUADRATIC" if quadratic else "NONQUADRATIC", _row(freq),
                _row(force), "RUN"]
        return "\n".join(out) + "\n"

    def text(self):
        """The input as a project file: the line layout the desktop program
        writes and opens (keywords, then its trailer after RUN), which the
        engine reads too.  Lines end with a line feed; save() writes CR LF."""
        self._check()
        kind, f = self._foundation
        out = _Lines()
        out.line(f"TITLE={self.title}")
        if self.matrix:
            out.line("MATRIX")
        out.line(f"GRAVITY={_g(_GRAVITY[self.units])}")
        out.line(f"FOUNDATION={kind}")
        shape, dims = self._shape
        out.line(f"CIRCULAR={_g(dims[0])}" if shape == "CIRCULAR" else f"RECTANGULAR={_g(dims[0])},{_g(dims[1])}")
        out.line("MASS ")
        out.values(self._mass)
        if kind == "HALF-SPACE":
            out.line("CONSTANTS ")
            out.values([0.0, 0.0, f["h"]], blank=True)
            out.line("SOIL ")
            out.line(f"CONSTANTS={len(f['layers'])}")
            for k, layer in enumerate(f["layers"], 1):
                out.values(layer, number=k)
            out.line("BELOW=" + " ".join(_g(v) for v in f["base"]))
        elif kind == "STRATUM":
            out.line("CONSTANTS ")
            out.values([0.0, 0.0, f["h"], f["E"], f["H"]], blank=True)
            out.line("SOIL ")
            out.line("CONSTANTS ")
            out.values(f["soil"])
        else:
            n = f["elements"]
            out.line(f"LAYERS={n}")
            out.line(f"{'FIXED' if f['fixed'] else 'PINNED'}={len(f['positions'])}")
            for k, (x, y) in enumerate(f["positions"], 1):
                out.values([x, y], blank=True, number=k)
            out.line("CONSTANTS ")
            c = f["constants"]
            out.values([0.0, 0.0, f["h"], c[0], c[1]], blank=True)
            out.values(c[2:])
            r, a, i, t = f["section"]
            out.line("ELEMENT")
            for k in range(1, n + 1):
                out.values([f["L"] / n, r, r, a, i, i, t], number=k)
            out.line("END-BEARING" if f["end_bearing"] else "FLOATING")
            if f["interaction"] and len(f["positions"]) > 1:
                out.line("INTERACTION ")
            out.line("SOIL ")
            # The project layout always gives the pile soil a weakened zone:
            # a shear modulus ratio of 1 (thickness ratio 0) leaves the soil
            # as it is.
            out.line("WEAK")
            out.line("CONSTANTS")
            for k, (vs, gamma, nu, beta) in enumerate(f["layers"], 1):
                out.values([vs, gamma, nu, beta, 1.0, nu, 2.0 * beta, 0.0], number=k)
            out.line("BELOW=" + " ".join(_g(v) for v in f["below"]))
        quadratic, freq, force = self._load
        out.line("LOAD ")
        out.line("HARMONIC ")
        out.line("CONSTANTS ")
        out.line("QUADRATIC " if quadratic else "NONQUADRATIC ")
        out.values(list(freq) + list(force))
        out.line("RUN ")
        # The program's trailer: no mass components; the centre of gravity.
        out.line("0")
        for triple in ([0.0, 0.0, f["h"]], [0.0, 0.0, 0.0], [0.0, 0.0, 0.0]):
            out.line("".join(_wide(v) + " " for v in triple))
        return out.text()

    def parameters(self):
        """The arguments of this input's calls, by name: {name: (method, value)};
        a name that two calls take (``radius`` of circle and pile_group) appears
        only qualified, as "method__name", which is always there too."""
        found, count = {}, {}
        for slot in _SLOTS:
            if slot in self._calls:
                method, arguments = self._calls[slot]
                for name, value in arguments.items():
                    found[f"{method}__{name}"] = (method, value)
                    count[name] = count.get(name, 0) + 1
                    found.setdefault(name, (method, value))
        return {k: v for k, v in found.items() if "__" in k or count[k] == 1}

    def with_values(self, **values):
        """A new Input with the arguments named replaced and every other call as
        here: ``base.with_values(vs=250, damping=0.02)`` replays half_space (or
        whichever call takes them) with those values.  A name taken by two calls
        is given as "method__name" (``pile_group__radius``).  Raises ValueError
        for a name no call takes, and whatever the call raises for a value."""
        calls = {slot: (method, dict(arguments)) for slot, (method, arguments) in self._calls.items()}
        known = self.parameters()
        for name, value in values.items():
            if name not in known:
                taken = [m for m, a in calls.values() if name in a]
                if len(taken) > 1:
                    raise ValueError(f"{name} is taken by {' and '.join(taken)}: name it "
                                     + " or ".join(f"{m}__{name}" for m in taken))
                raise ValueError(f"no call of this input takes {name}; it takes "
                                 + ", ".join(sorted(k for k in known if "__" not in k)))
            method = known[name][0]
            argument = name.split("__", 1)[1] if "__" in name else name
            for slot, (m, arguments) in calls.items():
                if m == method:
                    arguments[argument] = value
        new = Input.__new__(Input)
        new.title, new.units, new.matrix = self.title, self.units, self.matrix
        new._calls = {}
        new._shape = new._mass = new._foundation = new._load = None
        for slot in _SLOTS:
            if slot in calls:
                method, arguments = calls[slot]
                getattr(new, method)(**arguments)
        return new

    def save(self, path):
        """Writes text() to path with CR LF line ends, as the program saves a
        project; the program opens the file and terva-batch runs it."""
        with open(path, "w", encoding="latin-1", newline="\r\n") as f:
            f.write(self.text())
        return path

    def __str__(self):
        return self.text()
