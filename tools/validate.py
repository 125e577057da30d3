#!/usr/bin/env python3
"""TERVA against classical solutions: writes docs/validation.md and its plots.

    PYTHONPATH=python python3 tools/validate.py [--out DIR] [--no-plots] [--jobs N]

(terva-batch is found as terva.run finds it: TERVA_BATCH, the build tree, PATH.)

Every comparison runs the engine through the Python package (terva.run) on an
input written by terva.Input, compares the numbers with a published closed
form and checks them against the tolerance stated below.  The tolerances were
fixed before the engine's numbers for these cases were looked at; each one
says what it allows for.  The script exits 1 when any comparison leaves its
tolerance (the ctest case `validation` runs it into its own folder).
"""

# Tolerances, per comparison.  "rel" is |TERVA/reference - 1|, "abs" an
# absolute difference of dimensionless coefficients.  Nothing is asked below
# 0.3 %.  (This note first said that the graphic data file carries four
# significant digits; it carries three (E10.3, rounding up to 0.5 %), so after
# the first run the script took the constants from the report, which prints
# six; now they come at the engine's single precision from its results file.
# No tolerance was changed.)
TOLERANCES = {
    # 1. Rigid disc on a half-space, static stiffnesses (exact elasticity).
    #    The engine's coefficients tend to the exact static values as a0 -> 0;
    #    what is left is single precision and the file's four digits.
    "disc_static_rel": 0.003,
    # 2. k(a0), c(a0) of a rigid disc, nu = 1/3 and 0.45, a0 up to 2, against
    #    the Veletsos & Verbic (1973) closed forms (torsion: Veletsos & Nair
    #    1974).  Stiffness coefficient k: absolute 0.005.  Damping: TERVA
    #    reduces every damping constant to 70 % on purpose, so c_TERVA / 0.7
    #    is held to absolute 0.005; the 30 % reduction itself is shown.
    "disc_dynamic_k_abs": 0.005,
    "disc_dynamic_c_abs": 0.005,
    # 3. Mass on a half-space, vertical mode, against Lysmer's analog
    #    (K = 4GR/(1-nu), C = 3.4 R^2 sqrt(G rho)/(1-nu)), mass ratios
    #    b = 3, 5, 10, nu = 1/3.  Resonant frequency within 10 % (the analog
    #    keeps K constant, the half-space softens with frequency).  Peak
    #    amplitude within 20 % of the analog with its dashpot reduced to 70 %
    #    like TERVA's damping; the ratio to the plain analog is reported.
    "lysmer_frequency_rel": 0.10,
    "lysmer_peak_rel": 0.20,
    # 4. Disc on a stratum over rock, static stiffness against the half-space
    #    value times 1 + 1.28 R/H (vertical), 1 + R/(2H) (horizontal) and
    #    1 + R/(6H) (rocking), R/H from 0.1 to 0.5, no embedment.
    "stratum_static_rel": 0.005,
    # 5. Rectangular footing on a half-space, L/B = 1, 2, 4: TERVA (a disc of
    #    equal area, or of equal moment of inertia) against Gazetas (1991).
    #    The engine must reproduce the equivalent-disc values within 0.5 %;
    #    against Gazetas the equivalent disc is a deliberate simplification,
    #    held to 25 % (its size, worked out from the two formulas before any
    #    run, reaches about 20 % at L/B = 4 for torsion and sway along B).
    "rectangle_disc_rel": 0.005,
    "rectangle_gazetas_rel": 0.25,
    # 6. Single flexible pile, fixed head, homogeneous soil, Ep/Es = 300,
    #    1000, 3000: head stiffnesses at low frequency against Gazetas (1991)
    #    and Randolph (1981) (horizontal, rocking, coupling) and Randolph &
    #    Wroth (1978) (vertical).  TERVA's pile rests on plane-strain soil
    #    reactions (a Winkler-type medium), not on a continuum; the published
    #    formulas themselves differ by 10-15 %.  Horizontal within 30 %,
    #    rocking, coupling and vertical within 35 %.
    "pile_horizontal_rel": 0.30,
    "pile_rocking_rel": 0.35,
    "pile_coupling_rel": 0.35,
    "pile_vertical_rel": 0.35,
    # 7. 2 x 2 and 3 x 3 groups, s/d = 5: dynamic group efficiency
    #    Re K_G / (N Re K_1) against the interaction-factor method of Dobry &
    #    Gazetas (1988) (the trend of Kaynia & Kausel 1982).  Trend criteria:
    #    both below 1 at the lowest frequency; the frequency a0 = w d / Vs of
    #    the first maximum of the vertical efficiency within 30 % of Dobry &
    #    Gazetas's, that of the horizontal efficiency within 40 %.  (After the
    #    first run the peak became the largest efficiency in the range instead
    #    of the first local maximum, which had caught a 0.3 % ripple; the
    #    tolerances stayed as they were.  The page says so.)
    "group_low_frequency_max": 1.0,
    "group_vertical_peak_rel": 0.30,
    "group_horizontal_peak_rel": 0.40,
}

import argparse
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python"))

try:
    import numpy as np
except ImportError:  # the ctest case is skipped without numpy
    print("validate.py: numpy is not installed for this interpreter")
    sys.exit(77)

import terva  # noqa: E402

G_SI = 9.81        # gravity of every case: SI units, kN, Mg, m, s
PI = math.pi


def modulus(vs, unit_weight):
    """Shear modulus (kPa) and density (Mg/m^3) of a soil."""
    rho = unit_weight / G_SI
    return rho * vs * vs, rho


def exact(nu):
    """The Poisson's ratio as the input carries it (8 significant digits)."""
    return float(f"{nu:.8G}")


class Check:
    def __init__(self, what, value, reference, tolerance, kind="rel", note=""):
        self.what, self.value, self.reference, self.tolerance, self.kind = what, value, reference, tolerance, kind
        self.note = note
        if kind == "rel":
            self.error = abs(value / reference - 1.0)
        elif kind == "abs":
            self.error = abs(value - reference)
        else:  # "max": value must not exceed the reference
            self.error = value - reference
        self.ok = bool(self.error <= tolerance) if kind != "max" else bool(value < reference)

    def describe(self):
        if self.kind == "rel":
            return f"{100 * self.error:.{2 if self.error >= 1e-3 else 4}f} % (allowed {100 * self.tolerance:.1f} %)"
        if self.kind == "abs":
            return f"{self.error:.{4 if self.error >= 1e-3 else 6}f} (allowed {self.tolerance:.4f})"
        return f"{self.value:.3f} (must be below {self.reference:.3f})"


class Section:
    def __init__(self, key, title):
        self.key, self.title = key, title
        self.text = []       # markdown paragraphs
        self.checks = []
        self.plot = None

    def add(self, *paragraphs):
        self.text.extend(paragraphs)

    def check(self, *args, **kwargs):
        c = Check(*args, **kwargs)
        self.checks.append(c)
        return c

    def worst(self):
        return max(self.checks, key=lambda c: c.error / c.tolerance if c.kind != "max" and c.tolerance else 0)


def table(header, rows, formats=None):
    out = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for row in rows:
        cells = []
        for i, v in enumerate(row):
            f = formats[i] if formats else None
            cells.append(v if isinstance(v, str) or f is None else format(v, f))
        out.append("| " + " | ".join(cells) + " |")
    return "\n".join(out)


def disc_input(title, radius, vs, gamma, nu, damping, max_w, min_w, step, force=(0, 0, 0, 0, 0, 0), mass=None):
    inp = terva.Input(title).circle(radius).mass(*(mass or (1.0, 1.0, 1.0, 1.0)))
    return inp.half_space(vs, gamma, nu, damping).harmonic(max_w, min_w, step, force=force)


# --- 1 and 2: rigid disc on a half-space ------------------------------------------------------

def veletsos(nu, a0):
    """Veletsos & Verbic (1973) for an elastic half-space (torsion: Veletsos & Nair 1974):
    the factors k(a0), c(a0) of K(a0) = K_static (k + i a0 c) for horizontal, vertical,
    rocking and torsion, for nu = 1/3 and nu = 0.45 (their tabulated constants)."""
    if abs(nu - 1 / 3) < 1e-6:
        alpha, b1, b2, b3, g1, g2, g3, g4 = 0.65, 0.5, 0.8, 0.0, 0.35, 0.8, 0.0, 0.75
    elif abs(nu - 0.45) < 1e-6:
        alpha, b1, b2, b3, g1, g2, g3, g4 = 0.60, 0.4, 0.8, 0.027, 0.0, 0.0, 0.17, 0.85
    else:
        raise ValueError(nu)
    a0 = np.asarray(a0, dtype=float)
    v = (g2 * a0) ** 2 / (1 + (g2 * a0) ** 2)
    r = (b2 * a0) ** 2 / (1 + (b2 * a0) ** 2)
    t = (0.687 * a0) ** 2 / (1 + (0.687 * a0) ** 2)
    return {
        "horizontal": (np.ones_like(a0), np.full_like(a0, alpha)),
        "vertical": (1 - g1 * v - g3 * a0 ** 2, g4 + g1 * g2 * v),
        "rocking": (1 - b1 * r - b3 * a0 ** 2, b1 * b2 * r),
        "torsion": (1 - 0.425 * t, 0.425 * 0.687 * t),
    }


def static_disc(G, R, nu):
    return {"horizontal": 8 * G * R / (2 - nu), "vertical": 4 * G * R / (1 - nu),
            "rocking": 8 * G * R ** 3 / (3 * (1 - nu)), "torsion": 16 * G * R ** 3 / 3}


MODES = (("horizontal", "Kxx", "Cxx"), ("vertical", "Kww", "Cww"), ("rocking", "Kppx", "Cppx"),
         ("torsion", "Kzt", "Czt"))

# Case parameters (SI).
DISC = {"R": 2.0, "vs": 200.0, "gamma": 19.0}
DYN = {"R": 1.0, "vs": 100.0, "gamma": 18.0}              # a0 = omega / 100
LYSMER = {"R": 1.5, "vs": 150.0, "gamma": 18.0, "nu": 1 / 3, "b": (3.0, 5.0, 10.0)}
STRATUM = {"R": 2.0, "vs": 200.0, "gamma": 19.0, "nu": 1 / 3, "r_over_h": (0.1, 0.2, 0.3, 0.4, 0.5)}
RECT = {"B": 1.0, "vs": 200.0, "gamma": 19.0, "nu": 1 / 3, "l_over_b": (1.0, 2.0, 4.0)}
PILE = {"d": 0.5, "vs": 100.0, "gamma": 18.0, "nu": 0.4, "L_over_d": 40.0, "ratios": (300.0, 1000.0, 3000.0),
        "elements": 30, "pile_gamma": 24.0}
GROUP = {"d": 0.5, "vs": 100.0, "gamma": 18.0, "nu": 0.4, "D": 0.05, "L_over_d": 15.0, "ratio": 1000.0,
         "s_over_d": 5.0, "elements": 15, "w": (300.0, 12.0, 4.0)}  # max, min, step (rad/s)


def pile_section(d):
    r = d / 2
    return {"radius": r, "area": PI * r * r, "inertia": PI * r ** 4 / 4, "torsion": PI * r ** 4 / 2}


def pile_input(title, positions, length, elements, young, vs, gamma, nu, damping, w, interaction=True):
    soil = (vs, gamma, nu, damping)
    inp = terva.Input(title).circle(1.0).mass(1.0, 1.0, 1.0, 1.0)
    inp.pile_group(positions, length=length, soil=soil, below=soil, young=young, unit_weight=PILE["pile_gamma"],
                   poisson=0.25, damping=0.0, elements=elements, fixed=True, interaction=interaction,
                   **pile_section(PILE["d"]))
    return inp.harmonic(*w, force=(1, 0, 1, 0, 0, 0))


def cases():
    c = {}
    for nu in (0.25, 1 / 3, 0.45):
        c[f"static-{nu:.3f}"] = disc_input("STATIC DISC", DISC["R"], DISC["vs"], DISC["gamma"], nu, 0.0, 1.0, 0.0, 1.0)
    for nu in (1 / 3, 0.45):
        c[f"dynamic-{nu:.3f}"] = disc_input("DYNAMIC DISC", DYN["R"], DYN["vs"], DYN["gamma"], nu, 0.0, 200.0, 0.0, 2.0)
    G, rho = modulus(LYSMER["vs"], LYSMER["gamma"])
    nu, R = exact(LYSMER["nu"]), LYSMER["R"]
    for b in LYSMER["b"]:
        m = 4 * b * rho * R ** 3 / (1 - nu)
        wn = math.sqrt(4 * G * R / (1 - nu) / m)
        step = round(1.6 * wn / 1000, 3)
        c[f"lysmer-{b:g}"] = disc_input("MASS ON A HALF-SPACE", R, LYSMER["vs"], LYSMER["gamma"], nu, 0.0,
                                        0.2 * wn + 1000 * step, 0.2 * wn, step, force=(0, 0, 1.0, 0, 0, 0),
                                        mass=(m, m, m, m))
    for rh in STRATUM["r_over_h"]:
        inp = terva.Input("DISC ON A STRATUM").circle(STRATUM["R"]).mass(1.0, 1.0, 1.0, 1.0)
        inp.stratum(STRATUM["vs"], STRATUM["gamma"], STRATUM["nu"], 0.0, depth=STRATUM["R"] / rh)
        c[f"stratum-{rh:g}"] = inp.harmonic(1.0, 0.0, 1.0)
    for lb in RECT["l_over_b"]:
        B = RECT["B"]
        inp = terva.Input("RECTANGLE ON A HALF-SPACE").rectangle(2 * lb * B, 2 * B).mass(1.0, 1.0, 1.0, 1.0)
        c[f"rect-{lb:g}"] = inp.half_space(RECT["vs"], RECT["gamma"], RECT["nu"], 0.0).harmonic(1.0, 0.0, 1.0)
    Gp, _ = modulus(PILE["vs"], PILE["gamma"])
    Es = 2 * (1 + PILE["nu"]) * Gp
    for ratio in PILE["ratios"]:
        c[f"pile-{ratio:g}"] = pile_input("SINGLE PILE", [(0.0, 0.0)], PILE["L_over_d"] * PILE["d"], PILE["elements"],
                                          ratio * Es, PILE["vs"], PILE["gamma"], PILE["nu"], 0.0, (1.0, 0.0, 1.0))
    Gg, _ = modulus(GROUP["vs"], GROUP["gamma"])
    Eg = GROUP["ratio"] * 2 * (1 + GROUP["nu"]) * Gg
    s = GROUP["s_over_d"] * GROUP["d"]
    layouts = {"1": [(0.0, 0.0)],
               "2x2": [(x, y) for y in (-s / 2, s / 2) for x in (-s / 2, s / 2)],
               "3x3": [(x, y) for y in (-s, 0.0, s) for x in (-s, 0.0, s)]}
    for name, positions in layouts.items():
        c[f"group-{name}"] = pile_input(f"GROUP {name.upper()}", positions, GROUP["L_over_d"] * GROUP["d"],
                                        GROUP["elements"], Eg, GROUP["vs"], GROUP["gamma"], GROUP["nu"],
                                        GROUP["D"], GROUP["w"])
    return c


# --- the comparisons --------------------------------------------------------------------------

def sec_static(res):
    s = Section("static", "1. Rigid disc on a half-space: static stiffness")
    G, _ = modulus(DISC["vs"], DISC["gamma"])
    R = DISC["R"]
    rows = []
    for nu in (0.25, 1 / 3, 0.45):
        r = res[f"static-{nu:.3f}"]
        ref = static_disc(G, R, exact(nu))
        for mode, k, _c in MODES:
            value = r.stiffness[k][0]
            s.check(f"{mode}, nu = {nu:.3g}", value, ref[mode], TOLERANCES["disc_static_rel"])
            rows.append((f"{nu:.3g}", mode, value, ref[mode], f"{100 * (value / ref[mode] - 1):+.4f} %"))
    s.add("**Source.** The static stiffnesses of a rigid circular disc on an elastic half-space from the "
          "theory of elasticity, as collected in Richart, F. E., Hall, J. R. & Woods, R. D. (1970), *Vibrations "
          "of Soils and Foundations*, Prentice-Hall, and Gazetas (1991): vertical 4GR/(1−ν) (Boussinesq's "
          "problem for a rigid punch), rocking 8GR³/(3(1−ν)), torsion 16GR³/3 (Reissner & Sagoci 1944), and "
          "horizontal 8GR/(2−ν) (the usual closed form; Bycroft's 1956 value 32(1−ν)GR/(7−8ν) lies within 5 % "
          "of it for 0.25 ≤ ν ≤ 0.5).",
          f"**Case.** R = {R:g} m, Vs = {DISC['vs']:g} m/s, unit weight {DISC['gamma']:g} kN/m³ "
          f"(G = {G:.0f} kPa), no material damping, ν = 0.25, 1/3 and 0.45; TERVA's constants at its lowest "
          "frequency (0.0001 rad/s, a0 ≈ 10⁻⁶). Units kN/m and kN·m/rad.",
          table(("ν", "mode", "TERVA", "exact", "difference"), rows, (None, None, ".4e", ".4e", None)),
          "**Agreement.** The engine's half-space coefficients tend to the exact values as the frequency goes "
          "to zero; the differences are those of single precision.")
    return s


def sec_dynamic(res):
    s = Section("dynamic", "2. Rigid disc on a half-space: k(a0) and c(a0)")
    G, _ = modulus(DYN["vs"], DYN["gamma"])
    R = DYN["R"]
    rows, curves = [], {}
    for nu in (1 / 3, 0.45):
        r = res[f"dynamic-{nu:.3f}"]
        a0 = r.frequency_rad_s * R / DYN["vs"]
        ref = veletsos(nu, a0)
        st = static_disc(G, R, exact(nu))
        for mode, kk, cc in MODES:
            k = r.stiffness[kk] / st[mode]
            c_reported = r.damping[cc] * DYN["vs"] / (st[mode] * R)
            c = c_reported / 0.7
            kref, cref = ref[mode]
            curves[(nu, mode)] = (a0, k, c_reported, kref, cref)
            keep = a0 <= 2.0 + 1e-6
            i = int(np.argmax(np.abs(k - kref) * keep))
            s.check(f"k {mode}, nu = {nu:.3g} (worst at a0 = {a0[i]:.2f})", k[i], kref[i],
                    TOLERANCES["disc_dynamic_k_abs"], "abs")
            j = int(np.argmax(np.abs(c - cref) * keep * (a0 > 0.001)))
            s.check(f"c/0.7 {mode}, nu = {nu:.3g} (worst at a0 = {a0[j]:.2f})", c[j], cref[j],
                    TOLERANCES["disc_dynamic_c_abs"], "abs")
            for target in (0.5, 1.0, 1.5, 2.0):
                n = int(np.argmin(np.abs(a0 - target)))
                rows.append((f"{nu:.3g}", mode, f"{a0[n]:.2f}", k[n], kref[n], c_reported[n], c[n], cref[n]))
    s.add("**Source.** Veletsos, A. S. & Verbič, B. (1973), *Vibration of viscoelastic foundations*, Earthquake "
          "Engineering and Structural Dynamics 2, 87–102: closed-form fits to the rigorous solutions for a rigid "
          "disc on an elastic half-space; torsion from Veletsos, A. S. & Nair, V. V. (1974), *Torsional "
          "vibration of viscoelastic foundations*, J. Geotech. Eng. Div. ASCE 100. With K(a0) = K_static·"
          "(k + i·a0·c) and a0 = ωR/Vs, for an elastic half-space:",
          "- horizontal: k = 1, c = α;\n"
          "- vertical: k = 1 − γ1·(γ2a0)²/(1 + (γ2a0)²) − γ3·a0², c = γ4 + γ1·γ2·(γ2a0)²/(1 + (γ2a0)²);\n"
          "- rocking: k = 1 − β1·(β2a0)²/(1 + (β2a0)²) − β3·a0², c = β1·β2·(β2a0)²/(1 + (β2a0)²);\n"
          "- torsion: k = 1 − 0.425·(0.687a0)²/(1 + (0.687a0)²), c = 0.425·0.687·(0.687a0)²/(1 + (0.687a0)²);\n"
          "- ν = 1/3: α = 0.65, β1 = 0.5, β2 = 0.8, β3 = 0, γ1 = 0.35, γ2 = 0.8, γ3 = 0, γ4 = 0.75;\n"
          "  ν = 0.45: α = 0.60, β1 = 0.4, β2 = 0.8, β3 = 0.027, γ1 = 0, γ2 = 0, γ3 = 0.17, γ4 = 0.85.",
          "Veletsos & Verbič fitted these expressions to the rigorous solutions of Veletsos & Wei (1971, "
          "*Lateral and rocking vibration of footings*, J. Soil Mech. Found. Div. ASCE 97) and Luco & Westmann "
          "(1971, *Dynamic response of circular footings*, J. Eng. Mech. Div. ASCE 97). As a check independent "
          "of the fits, the sway damping tends to the plane-wave limit ρ·Vs·A of the footing area at high "
          "frequency, c = π(2−ν)/8: 0.654 for ν = 1/3 and 0.609 for ν = 0.45, against α = 0.65 and 0.60.",
          f"**Case.** R = {R:g} m, Vs = {DYN['vs']:g} m/s, no material damping, a0 from 0 to 2 in steps of "
          "0.02. k = K/K_static; c from TERVA's damping constant C as c = C·Vs/(K_static·R).",
          "**TERVA's method.** The half-space is described by closed-form coefficient functions of this same "
          "family (with material damping entering as a complex modulus), so the stiffness must match the fits. "
          "The engine then reduces every damping constant it reports and uses to 70 % of the computed value — "
          "a deliberate, conservative choice (less damping, larger resonant amplitudes). The table shows the "
          "reported c and c/0.7; the tolerance applies to c/0.7.",
          table(("ν", "mode", "a0", "k TERVA", "k V&V", "c TERVA", "c TERVA/0.7", "c V&V"), rows,
                (None, None, None, ".4f", ".4f", ".4f", ".4f", ".4f")))
    worst_k = max(c.error for c in s.checks if c.what.startswith("k "))
    worst_c = max(c.error for c in s.checks if c.what.startswith("c/"))
    s.add(f"**Agreement.** Stiffness factors within {worst_k:.6f}, damping factors (÷ 0.7) within {worst_c:.6f} "
          "of the published fits over 0 ≤ a0 ≤ 2 for both Poisson's ratios. TERVA's reported damping is 30 % "
          "below the published radiation damping, by design.")
    s.curves = curves
    return s


def lysmer_peak(G, rho, R, nu, m, damping_factor, w):
    K = 4 * G * R / (1 - nu)
    C = damping_factor * 3.4 * R * R * math.sqrt(G * rho) / (1 - nu)
    amp = 1.0 / np.abs(K - m * w ** 2 + 1j * C * w)
    return amp


def peak_of(w, amp):
    """Frequency and value of the largest amplitude, refined by a parabola through three points."""
    i = int(np.argmax(amp))
    if 0 < i < len(amp) - 1:
        y0, y1, y2 = amp[i - 1], amp[i], amp[i + 1]
        den = y0 - 2 * y1 + y2
        if den != 0:
            t = 0.5 * (y0 - y2) / den
            h = w[i + 1] - w[i]
            return w[i] + t * h, y1 - 0.25 * (y0 - y2) * t
    return w[i], amp[i]


def sec_lysmer(res):
    s = Section("lysmer", "3. Mass on a half-space: vertical resonance against Lysmer's analog")
    G, rho = modulus(LYSMER["vs"], LYSMER["gamma"])
    nu, R = exact(LYSMER["nu"]), LYSMER["R"]
    rows, curves = [], {}
    for b in LYSMER["b"]:
        r = res[f"lysmer-{b:g}"]
        m = 4 * b * rho * R ** 3 / (1 - nu)
        w = r.response_frequency_rad_s
        uz = r.amplitudes[:, 2]
        wt, at = peak_of(w, uz)
        fine = np.linspace(w[0], w[-1], 20001)
        wl, al = peak_of(fine, lysmer_peak(G, rho, R, nu, m, 1.0, fine))
        wl7, al7 = peak_of(fine, lysmer_peak(G, rho, R, nu, m, 0.7, fine))
        s.check(f"resonant frequency, b = {b:g}", wt, wl, TOLERANCES["lysmer_frequency_rel"])
        s.check(f"peak amplitude against the analog with 0.7 C, b = {b:g}", at, al7, TOLERANCES["lysmer_peak_rel"])
        rows.append((f"{b:g}", wt, wl, f"{100 * (wt / wl - 1):+.1f} %", at * 1e6, al7 * 1e6,
                     f"{100 * (at / al7 - 1):+.1f} %", al * 1e6, f"{at / al:.2f}"))
        curves[b] = (w, uz, fine, lysmer_peak(G, rho, R, nu, m, 1.0, fine), lysmer_peak(G, rho, R, nu, m, 0.7, fine))
    s.add("**Source.** Lysmer, J. & Richart, F. E. (1966), *Dynamic response of footings to vertical loading*, "
          "J. Soil Mech. Found. Div. ASCE 92(SM1), 65–91 (Lysmer's analog, 1965 thesis): a rigid disc on a "
          "half-space under vertical harmonic load behaves like a single-degree-of-freedom system with "
          "K = 4GR/(1−ν) and C = 3.4R²√(Gρ)/(1−ν), for mass ratios b = (1−ν)/4 · m/(ρR³) from about 1 upwards.",
          f"**Case.** R = {R:g} m, Vs = {LYSMER['vs']:g} m/s, unit weight {LYSMER['gamma']:g} kN/m³, ν = 1/3, no "
          "material damping, a vertical force of 1 kN of constant amplitude at the centre of gravity (at the "
          "base), mass ratios b = 3, 5 and 10; 1001 frequencies around the resonance. The peak is located by a "
          "parabola through the three highest points. Amplitudes in µm per kN.",
          table(("b", "ω peak TERVA (rad/s)", "ω peak Lysmer", "diff.", "peak TERVA", "peak Lysmer 0.7C", "diff.",
                 "peak Lysmer", "TERVA/Lysmer"), rows,
                (None, ".3f", ".3f", None, ".4f", ".4f", None, ".4f", None)),
          "**TERVA's method.** TERVA uses the frequency-dependent half-space functions of section 2, whose "
          "vertical damping for ν = 1/3 at the resonant a0 (0.3 to 0.6 here) is 0.75 to 0.80 against the "
          "analog's constant 0.85, and it reduces the damping to 70 %; its peak is therefore higher than the "
          "analog's by about 1/0.7 and a little more. Against the analog with its dashpot reduced in the same "
          "way the peaks are close; the last column shows the plain ratio.")
    worst_w = max(c.error for c in s.checks if c.what.startswith("resonant"))
    worst_a = max(c.error for c in s.checks if c.what.startswith("peak"))
    s.add(f"**Agreement.** Resonant frequencies within {100 * worst_w:.1f} % of Lysmer's; peak amplitudes within "
          f"{100 * worst_a:.1f} % of the analog with 0.7·C.")
    s.curves = curves
    return s


def sec_stratum(res):
    s = Section("stratum", "4. Disc on a stratum over rock: static stiffness")
    G, _ = modulus(STRATUM["vs"], STRATUM["gamma"])
    nu, R = exact(STRATUM["nu"]), STRATUM["R"]
    st = static_disc(G, R, nu)
    rows, curves = [], []
    for rh in STRATUM["r_over_h"]:
        r = res[f"stratum-{rh:g}"]
        H = R / rh
        ref = {"vertical": st["vertical"] * (1 + 1.28 * R / H), "horizontal": st["horizontal"] * (1 + R / (2 * H)),
               "rocking": st["rocking"] * (1 + R / (6 * H))}
        got = {"vertical": r.stiffness["Kww"][0], "horizontal": r.stiffness["Kxx"][0], "rocking": r.stiffness["Kppx"][0]}
        for mode in ("vertical", "horizontal", "rocking"):
            s.check(f"{mode}, R/H = {rh:g}", got[mode], ref[mode], TOLERANCES["stratum_static_rel"])
        rows.append((f"{rh:g}", got["vertical"] / st["vertical"], 1 + 1.28 * rh,
                     got["horizontal"] / st["horizontal"], 1 + rh / 2, got["rocking"] / st["rocking"], 1 + rh / 6))
        curves.append(rows[-1])
    s.add("**Source.** Kausel, E. (1974), *Forced vibrations of circular foundations on layered media*, MIT "
          "Research Report R74-11; Elsabee, F. & Morray, J. P. (1977), *Dynamic behaviour of embedded foundations*, "
          "MIT Research Report R77-33; summarised in Gazetas, G. (1991), *Foundation vibrations*, Foundation "
          "Engineering Handbook, 2nd ed., Van Nostrand Reinhold, ch. 15: the static stiffness of a surface disc on "
          "a stratum of depth H over rigid rock is the half-space value times 1 + 1.28·R/H (vertical), "
          "1 + R/(2H) (horizontal) and 1 + R/(6H) (rocking), for R/H up to about 0.5 (vertical) and 1.",
          f"**Case.** R = {R:g} m, Vs = {STRATUM['vs']:g} m/s, ν = 1/3, no embedment, no material damping, "
          "R/H = 0.1 to 0.5; TERVA's constants at 0.0001 rad/s divided by the half-space values.",
          "**TERVA's method.** The stratum model uses these same correction factors on the half-space "
          "stiffnesses, so the comparison checks that they reach the results unchanged.",
          table(("R/H", "vertical TERVA", "1 + 1.28R/H", "horizontal TERVA", "1 + R/2H", "rocking TERVA", "1 + R/6H"),
                rows, (None, ".4f", ".4f", ".4f", ".4f", ".4f", ".4f")))
    s.add(f"**Agreement.** Every factor within {100 * max(c.error for c in s.checks):.4f} %.")
    s.curves = curves
    return s


def gazetas_rectangle(G, nu, L, B):
    """Gazetas (1991) static stiffnesses of a rigid 2L x 2B rectangle (L >= B) on a half-space surface;
    x along L.  Keys as TERVA names them with x along the long side."""
    A = 4 * B * L
    chi = A / (4 * L * L)
    Ibx, Iby = 4 * L * B ** 3 / 3, 4 * B * L ** 3 / 3
    Jt = Ibx + Iby
    Kz = 2 * G * L / (1 - nu) * (0.73 + 1.54 * chi ** 0.75)
    Ky = 2 * G * L / (2 - nu) * (2 + 2.5 * chi ** 0.85)
    Kx = Ky - 0.2 / (0.75 - nu) * G * L * (1 - B / L)
    Krx = G / (1 - nu) * Ibx ** 0.75 * (L / B) ** 0.25 * (2.4 + 0.5 * B / L)
    Kry = 3 * G / (1 - nu) * Iby ** 0.75 * (L / B) ** 0.15
    Kt = G * Jt ** 0.75 * (4 + 11 * (1 - B / L) ** 10)
    return {"Kxx": Kx, "Kyy": Ky, "Kww": Kz, "Kppx": Krx, "Kppy": Kry, "Kzt": Kt}


def equivalent_disc(G, nu, b1, b2):
    """The disc formulas with the equivalent radii of equal area (sway, vertical), equal moment of inertia
    (rocking) and equal polar moment (torsion); pi as the engine stores it for these radii."""
    pi = 3.14159
    r0 = math.sqrt(b1 * b2 / pi)
    rx = (b2 ** 3 * b1 / (3 * pi)) ** 0.25
    ry = (b1 ** 3 * b2 / (3 * pi)) ** 0.25
    rt = (b1 * b2 * (b1 ** 2 + b2 ** 2) / (6 * pi)) ** 0.25
    return {"Kxx": 8 * G * r0 / (2 - nu), "Kyy": 8 * G * r0 / (2 - nu), "Kww": 4 * G * r0 / (1 - nu),
            "Kppx": 8 * G * rx ** 3 / (3 * (1 - nu)), "Kppy": 8 * G * ry ** 3 / (3 * (1 - nu)),
            "Kzt": 16 * G * rt ** 3 / 3}


RECT_NAMES = {"Kxx": "sway along L (x)", "Kyy": "sway along B (y)", "Kww": "vertical",
              "Kppx": "rocking about x", "Kppy": "rocking about y", "Kzt": "torsion"}


def sec_rectangle(res):
    s = Section("rectangle", "5. Rectangular footing: the equivalent disc against Gazetas's formulas")
    G, _ = modulus(RECT["vs"], RECT["gamma"])
    nu, B = exact(RECT["nu"]), RECT["B"]
    rows, curves = [], {}
    for lb in RECT["l_over_b"]:
        r = res[f"rect-{lb:g}"]
        L = lb * B
        gz = gazetas_rectangle(G, nu, L, B)
        eq = equivalent_disc(G, nu, 2 * L, 2 * B)
        for key, name in RECT_NAMES.items():
            value = r.stiffness[key][0]
            s.check(f"{name}, L/B = {lb:g}: TERVA against its equivalent disc", value, eq[key],
                    TOLERANCES["rectangle_disc_rel"])
            s.check(f"{name}, L/B = {lb:g}: TERVA against Gazetas", value, gz[key], TOLERANCES["rectangle_gazetas_rel"])
            rows.append((f"{lb:g}", name, value, gz[key], f"{100 * (value / gz[key] - 1):+.1f} %"))
            curves.setdefault(key, []).append((lb, value / gz[key]))
    s.add("**Source.** Gazetas, G. (1991), *Formulas and charts for impedances of surface and embedded "
          "foundations*, J. Geotech. Eng. ASCE 117(9), 1363–1381, and *Foundation vibrations*, Foundation "
          "Engineering Handbook (1991), ch. 15. For a rigid 2L × 2B rectangle (L ≥ B, x along L) on a "
          "half-space, with χ = A/(4L²), I_bx = 4LB³/3, I_by = 4BL³/3, J_t = I_bx + I_by:",
          "- vertical K_z = 2GL/(1−ν) · (0.73 + 1.54χ^0.75);\n"
          "- sway along B: K_y = 2GL/(2−ν) · (2 + 2.5χ^0.85); along L: K_x = K_y − 0.2/(0.75−ν) · GL(1 − B/L);\n"
          "- rocking about x: K_rx = G/(1−ν) · I_bx^0.75 (L/B)^0.25 (2.4 + 0.5B/L); about y: "
          "K_ry = 3G/(1−ν) · I_by^0.75 (L/B)^0.15;\n"
          "- torsion K_t = G·J_t^0.75 · (4 + 11(1 − B/L)^10).",
          f"**Case.** B = {B:g} m, L/B = 1, 2 and 4 (TERVA: RECTANGULAR = 2L along X, 2B along Y), Vs = "
          f"{RECT['vs']:g} m/s, ν = 1/3, no damping; TERVA's constants at 0.0001 rad/s.",
          "**TERVA's method — a deliberate simplification.** A rectangle is analysed as a disc: of equal area "
          "for sway and vertical motion, of equal moment of inertia for each rocking axis and of equal polar "
          "moment for torsion. Sway is the same in both directions. The engine reproduces these equivalent-disc "
          f"values within {100 * TOLERANCES['rectangle_disc_rel']:.1f} % (checked); the table shows how far the "
          "simplification lies from the rectangle formulas.",
          table(("L/B", "mode", "TERVA", "Gazetas", "TERVA − Gazetas"), rows, (None, None, ".4e", ".4e", None)))
    diffs = [(abs(c.value / c.reference - 1), c.what) for c in s.checks if "Gazetas" in c.what]
    worst = max(diffs)
    s.add(f"**Agreement.** For a square the equivalent disc lies within "
          f"{100 * max(d for d, w in diffs if 'L/B = 1:' in w):.1f} % of Gazetas's formulas (largest in rocking; "
          "his two rocking fits themselves differ by 3 % for a square, 2.9 against 3.0 times G·I^0.75/(1−ν)). The difference grows "
          f"with elongation and reaches {100 * worst[0]:.1f} % at L/B = 4 ({worst[1].split(',')[0]}): the disc "
          "underestimates a long footing's sway across its width, its vertical stiffness and its torsion. For "
          "footings longer than about 2:1, treat TERVA's rectangle results with this in mind.")
    s.curves = curves
    return s


def randolph_lateral(Ep, G, nu, d):
    """Randolph (1981), The response of flexible piles to lateral loading, Geotechnique 31(2), 247-259:
    head flexibility of a flexible pile in homogeneous soil, inverted to the head stiffness matrix."""
    gs = G * (1 + 0.75 * nu)
    lc = d * (Ep / gs) ** (2.0 / 7.0)
    h = lc / 2
    f = (Ep / gs) ** (1.0 / 7.0) / gs
    F = f * np.array([[0.27 / h, 0.3 / h ** 2], [0.3 / h ** 2, 0.8 / h ** 3]])
    K = np.linalg.inv(F)
    return {"horizontal": K[0, 0], "coupling": abs(K[0, 1]), "rocking": K[1, 1]}


def gazetas_pile(Ep, Es, d):
    """Gazetas (1991), Foundation vibrations, Table 15.6: fixed-head flexible pile, homogeneous soil."""
    r = Ep / Es
    return {"horizontal": d * Es * r ** 0.21, "rocking": 0.15 * d ** 3 * Es * r ** 0.75,
            "coupling": 0.22 * d ** 2 * Es * r ** 0.5}


def randolph_wroth(Ep, G, nu, d, L):
    """Randolph & Wroth (1978), Analysis of deformation of vertically loaded piles, J. Geotech. Eng. Div.
    ASCE 104(GT12): floating pile in homogeneous soil (base on the same soil)."""
    r0 = d / 2
    lam = Ep / G
    zeta = math.log(2.5 * (1 - nu) * L / r0)
    mul = math.sqrt(2 / (zeta * lam)) * L / r0
    t = math.tanh(mul) / mul
    base = 4 / (1 - nu)
    return G * r0 * (base + 2 * PI / zeta * t * L / r0) / (1 + base / (PI * lam) * t * L / r0)


def sec_pile(res):
    s = Section("pile", "6. Single flexible pile in homogeneous soil: head stiffness")
    G, _ = modulus(PILE["vs"], PILE["gamma"])
    nu, d = PILE["nu"], PILE["d"]
    Es = 2 * (1 + nu) * G
    L = PILE["L_over_d"] * d
    rows, curves = [], []
    tol = {"horizontal": TOLERANCES["pile_horizontal_rel"], "rocking": TOLERANCES["pile_rocking_rel"],
           "coupling": TOLERANCES["pile_coupling_rel"], "vertical": TOLERANCES["pile_vertical_rel"]}
    for ratio in PILE["ratios"]:
        r = res[f"pile-{ratio:g}"]
        Ep = ratio * Es
        got = {"horizontal": r.stiffness["Kxx"][0], "rocking": r.stiffness["Kppy"][0],
               "coupling": abs(r.stiffness["Kyp"][0]), "vertical": r.stiffness["Kww"][0]}
        gz = gazetas_pile(Ep, Es, d)
        rd = randolph_lateral(Ep, G, nu, d)
        rw = randolph_wroth(Ep, G, nu, d, L)
        for mode in ("horizontal", "rocking", "coupling"):
            s.check(f"{mode}, Ep/Es = {ratio:g}: against Gazetas", got[mode], gz[mode], tol[mode])
            s.check(f"{mode}, Ep/Es = {ratio:g}: against Randolph", got[mode], rd[mode], tol[mode])
            rows.append((f"{ratio:g}", mode, got[mode], gz[mode], f"{100 * (got[mode] / gz[mode] - 1):+.1f} %",
                         rd[mode], f"{100 * (got[mode] / rd[mode] - 1):+.1f} %"))
        s.check(f"vertical, Ep/Es = {ratio:g}: against Randolph & Wroth", got["vertical"], rw, tol["vertical"])
        rows.append((f"{ratio:g}", "vertical", got["vertical"], "—", "—", rw, f"{100 * (got['vertical'] / rw - 1):+.1f} %"))
        curves.append((ratio, got, gz, rd, rw))
    s.add("**Sources.** Gazetas, G. (1991), *Foundation vibrations*, Foundation Engineering Handbook, ch. 15 "
          "(fixed-head flexible pile in homogeneous soil, from fits to continuum solutions): K_HH = d·Es·"
          "(Ep/Es)^0.21, K_MM = 0.15·d³·Es·(Ep/Es)^0.75, K_HM = −0.22·d²·Es·(Ep/Es)^0.50. Randolph, M. F. "
          "(1981), *The response of flexible piles to lateral loading*, Géotechnique 31(2), 247–259 (finite-"
          "element fits): with G* = G(1 + 3ν/4), l_c = d·(Ep/G*)^(2/7), u = (Ep/G*)^(1/7)/G* · [0.27·H/(l_c/2) + "
          "0.3·M/(l_c/2)²], θ = (Ep/G*)^(1/7)/G* · [0.3·H/(l_c/2)² + 0.8·M/(l_c/2)³], inverted here to the head "
          "stiffness matrix. Randolph, M. F. & Wroth, C. P. (1978), *Analysis of deformation of vertically "
          "loaded piles*, J. Geotech. Eng. Div. ASCE 104(GT12), 1465–1488: P/(w·G·r0) = [4/(1−ν) + (2π/ζ)·"
          "(tanh μL/μL)·(L/r0)] / [1 + (4/(1−ν))/(πλ)·(tanh μL/μL)·(L/r0)], λ = Ep/G, ζ = ln(2.5(1−ν)L/r0), "
          "μL = √(2/(ζλ))·L/r0 (floating pile, homogeneous soil).",
          f"**Case.** A solid circular pile, d = {d:g} m, L = {L:g} m (L/d = {PILE['L_over_d']:g}, longer than "
          f"the active length), {PILE['elements']} elements, head fixed against rotation at the surface; soil "
          f"Vs = {PILE['vs']:g} m/s, unit weight {PILE['gamma']:g} kN/m³, ν = {nu:g} (Es = {Es:.0f} kPa), no "
          "damping, the same soil below the tip; Ep/Es = 300, 1000 and 3000; TERVA's constants at 0.0001 rad/s "
          "(horizontal K_HH = Kxx, rocking K_MM = Kppy, coupling |K_HM| = |Kyp|, vertical Kww). Units kN/m, "
          "kN·m/rad, kN/rad.",
          "**TERVA's method.** The pile is a chain of exact beam-column elements resting on plane-strain soil "
          "reactions (a frequency-dependent Winkler medium), not on a continuum. Plane-strain reactions vanish "
          "at zero frequency, so the engine holds the horizontal reaction at its value for a0 = ωr/Vs = 0.3 "
          "and the vertical one at a0 = 0.05 below those frequencies: its static stiffnesses are the limits of "
          "this approximation, which the tolerances allow for.",
          table(("Ep/Es", "mode", "TERVA", "Gazetas", "diff.", "Randolph", "diff."), rows,
                (None, None, ".4e", ".4e", None, ".4e", None)))
    worst = max(s.checks, key=lambda c: c.error)
    spread = max(abs(c[2][m] / c[3][m] - 1) for c in curves for m in ("horizontal", "rocking", "coupling"))
    s.add(f"**Agreement.** The largest difference is {100 * worst.error:.1f} % ({worst.what}); the two published "
          f"lateral solutions differ from each other by up to {100 * spread:.0f} % for these cases. TERVA is "
          "stiffer than the continuum solutions in sway, coupling and vertical motion, increasingly so for "
          "stiffer piles — the expected bias of a Winkler-type medium whose reactions are held at their a0 = "
          "0.3 and 0.05 values; rocking lies between the two lateral solutions.")
    s.curves = curves
    return s


def dobry_gazetas(positions, w, d, vs, nu, beta, direction):
    """Dobry & Gazetas (1988), Simple method for dynamic stiffness and damping of floating pile groups,
    Geotechnique 38(4), 557-574: interaction factor between two piles at spacing s,
    alpha = sqrt(r0/s) exp(-beta w s/V) exp(-i w s/V), with V = Vs (vertical; horizontal across the line
    of the piles) or Lysmer's analog velocity 3.4 Vs/(pi (1 - nu)) (horizontal along it), and
    alpha(theta) = alpha(0) cos^2 theta + alpha(90) sin^2 theta.  Group factor (complex):
    sum of (I + A)^-1 over all entries divided by N, for equal displacement of all heads."""
    r0 = d / 2
    p = np.asarray(positions, dtype=float)
    n = len(p)
    vla = 3.4 * vs / (PI * (1 - nu))
    out = np.empty(len(w), dtype=complex)
    for k, omega in enumerate(w):
        A = np.eye(n, dtype=complex)
        for i in range(n):
            for j in range(n):
                if i == j:
                    continue
                dx, dy = p[j] - p[i]
                s = math.hypot(dx, dy)

                def alpha(v):
                    return math.sqrt(r0 / s) * np.exp(-beta * omega * s / v) * np.exp(-1j * omega * s / v)

                if direction == "vertical":
                    A[i, j] = alpha(vs)
                else:
                    c2 = (dx / s) ** 2  # cos^2 of the angle between the load (x) and the pile line
                    A[i, j] = alpha(vla) * c2 + alpha(vs) * (1 - c2)
        out[k] = np.linalg.inv(A).sum() / n
    return out


def first_peak(x, y):
    """The peak of the efficiency: its largest value in the frequency range.  (The first version took
    the first local maximum, which in the first run caught a ripple of 0.3 % at the low end of the 2 x 2
    group's horizontal curve instead of its peak; changed after that run, the tolerance kept.)"""
    i = int(np.argmax(y))
    return x[i], y[i]


def sec_group(res):
    s = Section("group", "7. Pile groups: dynamic group efficiency")
    d, vs, nu = GROUP["d"], GROUP["vs"], GROUP["nu"]
    sp = GROUP["s_over_d"] * d
    single = res["group-1"]
    layouts = {"2x2": [(x, y) for y in (-sp / 2, sp / 2) for x in (-sp / 2, sp / 2)],
               "3x3": [(x, y) for y in (-sp, 0.0, sp) for x in (-sp, 0.0, sp)]}
    rows, curves = [], {}
    for name, positions in layouts.items():
        g = res[f"group-{name}"]
        n = len(positions)
        w = g.frequency_rad_s
        a0 = w * d / vs
        for mode, kk, cc in (("vertical", "Kww", "Cww"), ("horizontal", "Kxx", "Cxx")):
            eff = g.stiffness[kk] / (n * single.stiffness[kk])
            eff_c = g.damping[cc] / (n * single.damping[cc])
            # the published factors applied to TERVA's own single pile: K_G = K_1 * group factor
            k1 = single.stiffness[kk] + 1j * w * single.damping[cc]
            kg = k1 * dobry_gazetas(positions, w, d, vs, nu, GROUP["D"] / 2, mode)  # K_G / N
            dg = kg.real / k1.real
            dg_c = kg.imag / k1.imag
            curves[(name, mode)] = (a0, eff, eff_c, dg, dg_c)
            s.check(f"{name} {mode}: efficiency at the lowest frequency", eff[0],
                    TOLERANCES["group_low_frequency_max"], 0.0, "max")
            s.check(f"{name} {mode}: Dobry & Gazetas at the lowest frequency", dg[0],
                    TOLERANCES["group_low_frequency_max"], 0.0, "max")
            at, et = first_peak(a0, eff)
            ad, ed = first_peak(a0, dg)
            key = "group_vertical_peak_rel" if mode == "vertical" else "group_horizontal_peak_rel"
            s.check(f"{name} {mode}: a0 of the peak", at, ad, TOLERANCES[key])
            rows.append((name, mode, eff[0], dg[0], at, ad, et, ed))
    s.add("**Sources.** Kaynia, A. M. & Kausel, E. (1982), *Dynamic behavior of pile groups*, Proc. 2nd Int. "
          "Conf. on Numerical Methods in Offshore Piling, Austin, 509–532: rigorous group impedances, showing "
          "that the dynamic group efficiency (group stiffness over N times the single pile's) lies below 1 at "
          "low frequency and rises to sharp peaks, well above 1, at frequencies set by the spacing, where the "
          "waves sent out by the neighbouring piles reach a pile in antiphase with its own motion. Dobry, R. & Gazetas, G. (1988), *Simple method for "
          "dynamic stiffness and damping of floating pile groups*, Géotechnique 38(4), 557–574: an interaction "
          "factor from cylindrical waves, α = √(r0/s)·exp(−βωs/V)·exp(−iωs/V), with V = Vs (vertical; "
          "horizontal across the pile line) or Lysmer's analog velocity 3.4Vs/(π(1−ν)) (horizontal along it), "
          "α(θ) = α(0°)cos²θ + α(90°)sin²θ; the group follows from the flexibilities of the single pile "
          "combined with these factors (here applied to TERVA's own single-pile impedance).",
          f"**Case.** 2 × 2 and 3 × 3 groups of identical piles, d = {d:g} m, L/d = {GROUP['L_over_d']:g}, "
          f"Ep/Es = {GROUP['ratio']:g}, s/d = {GROUP['s_over_d']:g}, fixed heads; soil Vs = {vs:g} m/s, "
          f"ν = {nu:g}, material damping D = {GROUP['D']:g} (β = D/2 = {GROUP['D'] / 2:g}); frequencies "
          f"{GROUP['w'][1]:g} to {GROUP['w'][0]:g} rad/s (a0 = ωd/Vs = {GROUP['w'][1] * d / vs:.2f} to "
          f"{GROUP['w'][0] * d / vs:.2f}). Efficiency = K_group/(N·K_single) from TERVA's group run with "
          "pile-soil-pile interaction and its single-pile run.",
          "**TERVA's method.** Static interaction factors between two piles from fits to elastic continuum "
          "solutions (vertical: in the spacing, slenderness, pile-soil stiffness ratio and base stiffness; "
          "horizontal: in the spacing, direction and pile-soil stiffness ratio), turned frequency dependent "
          "above 10 rad/s (a0 = 0.05 here) by amplitude and phase fits at s/d = 2, 5 and 10; the group is "
          "solved from the single pile's flexibility and these factors. The step at a0 = 0.2 in both vertical "
          "damping curves comes from the single pile's damping: below ωr/Vs = 0.1 the engine blends the "
          "vertical soil damping towards its low-frequency value. The criteria are those of the trend: efficiency below 1 at low frequency, "
          "and the frequency of the peak. The peak is taken as the largest efficiency in the range; a first "
          "version of the script took the first local maximum, which caught a ripple of 0.3 % at the low end "
          "of the 2 × 2 group's horizontal curve, and was changed after that run (the tolerance was kept).",
          table(("group", "mode", "efficiency TERVA (lowest ω)", "D & G", "a0 peak TERVA", "a0 peak D & G",
                 "peak TERVA", "peak D & G"), rows, (None, None, ".3f", ".3f", ".2f", ".2f", ".3f", ".3f")))
    peaks = [c for c in s.checks if "peak" in c.what]
    s.add(f"**Agreement.** Both methods start below 1 with similar values; the efficiency peaks lie within "
          f"{100 * max(c.error for c in peaks):.0f} % in a0 of Dobry & Gazetas's. TERVA's peaks are lower and "
          "broader than those of the simple cylindrical-wave factors, most of all for the 3 × 3 group: the simple "
          "method superposes two-pile factors and ignores the piles in between, which matters most in larger "
          "groups.")
    s.curves = curves
    return s


SECTIONS = (sec_static, sec_dynamic, sec_lysmer, sec_stratum, sec_rectangle, sec_pile, sec_group)


# --- plots and page ---------------------------------------------------------------------------

def plots(sections, folder):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    os.makedirs(folder, exist_ok=True)
    by = {s.key: s for s in sections}

    def save(fig, section, name):
        fig.savefig(os.path.join(folder, name), dpi=110, bbox_inches="tight")
        plt.close(fig)
        section.plot = name

    s = by["static"]
    fig, ax = plt.subplots(figsize=(6, 3.2))
    diffs = [100 * (c.value / c.reference - 1) for c in s.checks]
    ax.bar(range(len(diffs)), diffs, color="tab:blue")
    ax.set_xticks(range(len(diffs)), [c.what.replace(", nu = ", "\nν=") for c in s.checks], fontsize=6, rotation=90)
    ax.set_ylim(-0.5, 0.5)
    ax.axhline(0.0, color="k", lw=0.8)
    ax.set_ylabel("TERVA − exact (%)")
    ax.set_title("Static stiffness of a rigid disc")
    save(fig, s, "static-disc.png")

    s = by["dynamic"]
    fig, axes = plt.subplots(2, 4, figsize=(12, 5.5), sharex=True)
    for col, (mode, _k, _c) in enumerate(MODES):
        for nu, color in ((1 / 3, "tab:blue"), (0.45, "tab:red")):
            a0, k, c_rep, kref, cref = s.curves[(nu, mode)]
            axes[0, col].plot(a0, kref, color=color, lw=1.2, label=f"V&V ν={nu:.2g}")
            axes[0, col].plot(a0[::5], k[::5], "o", color=color, ms=3, label=f"TERVA ν={nu:.2g}")
            axes[1, col].plot(a0, cref, color=color, lw=1.2)
            axes[1, col].plot(a0[::5], c_rep[::5] / 0.7, "o", color=color, ms=3)
            axes[1, col].plot(a0, c_rep, "--", color=color, lw=0.8)
        axes[0, col].set_title(mode)
        axes[1, col].set_xlabel("a0 = ωR/Vs")
    axes[0, 0].set_ylim(0.9, 1.1)
    axes[0, 0].set_ylabel("k(a0)")
    axes[1, 0].set_ylabel("c(a0)  (points: c/0.7; dashed: as reported)")
    axes[0, 0].legend(fontsize=7)
    fig.suptitle("Rigid disc on a half-space: TERVA against Veletsos & Verbič (1973)")
    save(fig, s, "disc-dynamic.png")

    s = by["lysmer"]
    fig, axes = plt.subplots(1, len(s.curves), figsize=(12, 3.6))
    for ax, (b, (w, uz, fine, al, al7)) in zip(axes, s.curves.items()):
        ax.plot(fine, al * 1e6, "k-", lw=1, label="Lysmer's analog")
        ax.plot(fine, al7 * 1e6, "k--", lw=1, label="analog, 0.7·C")
        ax.plot(w, uz * 1e6, "-", color="tab:red", lw=1.2, label="TERVA")
        ax.set_title(f"b = {b:g}")
        ax.set_xlabel("ω (rad/s)")
    axes[0].set_ylabel("vertical amplitude (µm per kN)")
    axes[0].legend(fontsize=7)
    save(fig, s, "lysmer.png")

    s = by["stratum"]
    rows = np.array(s.curves)
    fig, ax = plt.subplots(figsize=(5.5, 3.8))
    x = np.linspace(0, 0.55, 50)
    for col, ref, label, color in ((1, 1 + 1.28 * x, "vertical", "tab:blue"), (3, 1 + x / 2, "horizontal", "tab:green"),
                                   (5, 1 + x / 6, "rocking", "tab:red")):
        ax.plot(x, ref, "-", color=color, lw=1, label=f"{label}: published")
        ax.plot(rows[:, 0].astype(float), rows[:, col].astype(float), "o", color=color, label=f"{label}: TERVA")
    ax.set_xlabel("R/H")
    ax.set_ylabel("K stratum / K half-space")
    ax.legend(fontsize=7)
    save(fig, s, "stratum.png")

    s = by["rectangle"]
    fig, ax = plt.subplots(figsize=(6, 3.8))
    for key, name in RECT_NAMES.items():
        pts = np.array(s.curves[key])
        ax.plot(pts[:, 0], pts[:, 1], "o-", label=name)
    ax.axhline(1.0, color="k", lw=0.8)
    ax.set_xlabel("L/B")
    ax.set_ylabel("TERVA (equivalent disc) / Gazetas")
    ax.legend(fontsize=7)
    save(fig, s, "rectangle.png")

    s = by["pile"]
    fig, axes = plt.subplots(1, 4, figsize=(13, 3.4))
    ratios = [c[0] for c in s.curves]
    for ax, mode in zip(axes, ("horizontal", "rocking", "coupling", "vertical")):
        ax.loglog(ratios, [c[1][mode] for c in s.curves], "o-", color="tab:red", label="TERVA")
        if mode != "vertical":
            ax.loglog(ratios, [c[2][mode] for c in s.curves], "s--", color="k", label="Gazetas 1991")
            ax.loglog(ratios, [c[3][mode] for c in s.curves], "^:", color="tab:blue", label="Randolph 1981")
        else:
            ax.loglog(ratios, [c[4] for c in s.curves], "^:", color="tab:blue", label="Randolph & Wroth 1978")
        ax.set_title(mode)
        ax.set_xlabel("Ep/Es")
        ax.legend(fontsize=7)
    save(fig, s, "pile.png")

    s = by["group"]
    fig, axes = plt.subplots(2, 2, figsize=(11, 7), sharex=True)
    for row, name in enumerate(("2x2", "3x3")):
        for col, mode in enumerate(("vertical", "horizontal")):
            a0, eff, eff_c, dg, dg_c = s.curves[(name, mode)]
            ax = axes[row, col]
            ax.plot(a0, eff, "-", color="tab:red", label="TERVA stiffness")
            ax.plot(a0, dg, "--", color="k", label="Dobry & Gazetas stiffness")
            ax.plot(a0, eff_c, "-", color="tab:orange", lw=0.8, label="TERVA damping")
            ax.plot(a0, dg_c, ":", color="gray", label="Dobry & Gazetas damping")
            ax.axhline(1.0, color="k", lw=0.5)
            ax.set_title(f"{name} group, {mode}, s/d = {GROUP['s_over_d']:g}")
            ax.set_ylabel("group efficiency")
        axes[1, 0].set_xlabel("a0 = ωd/Vs")
        axes[1, 1].set_xlabel("a0 = ωd/Vs")
    axes[0, 0].legend(fontsize=7)
    save(fig, s, "group.png")


def page(sections, plot_folder):
    ok = all(c.ok for s in sections for c in s.checks)
    out = ["# TERVA against published solutions", "",
           "Generated by `python3 tools/validate.py` (ctest case `validation` runs the same comparisons and fails "
           "when one leaves its tolerance). Each section states the source, the case, TERVA's method where it "
           "is a deliberate simplification, a table, a plot and the agreement. The tolerances were fixed in the "
           "script before the engine was run on these cases; each says what it allows for. TERVA's stiffness and "
           "damping constants are read from its report, which prints six significant digits (the graphic data "
           "file keeps three). SI units: kN, m, s, Mg; G = Vs²·γ/g with g = 9.81 m/s².", "",
           "| comparison | checks | largest difference | tolerance | result |", "|---|---|---|---|---|"]
    for s in sections:
        worst = s.worst()
        out.append(f"| {s.title} | {len(s.checks)} | {worst.describe().split(' (')[0]} ({worst.what}) | "
                   f"{worst.describe().split('(')[-1].rstrip(')')} | "
                   f"{'passed' if all(c.ok for c in s.checks) else 'FAILED'} |")
    out += ["", f"Overall: **{'all comparisons within their tolerances' if ok else 'some comparisons FAILED'}**.", ""]
    for s in sections:
        out += [f"## {s.title}", ""]
        for p in s.text:
            out += [p, ""]
        if s.plot:
            out += [f"![{s.title}]({plot_folder}/{s.plot})", ""]
        failed = [c for c in s.checks if not c.ok]
        out += [f"Checks: {len(s.checks)}, {'all within tolerance' if not failed else str(len(failed)) + ' outside'}."]
        for c in failed:
            out.append(f"- outside: {c.what}: {c.describe()}")
        out.append("")
    return "\n".join(out), ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(HERE, "..", "docs"),
                        help="folder for validation.md and validation/*.png (default: docs)")
    parser.add_argument("--no-plots", action="store_true", help="compare numbers only, write no pictures")
    parser.add_argument("--jobs", type=int, default=None, help="engine processes at once")
    args = parser.parse_args()
    inputs = cases()
    names = list(inputs)
    results = dict(zip(names, terva.run_many([inputs[n] for n in names], jobs=args.jobs)))
    for r in results.values():
        if r.precision != "single":  # older results: the report's six digits, not the graphic data's three
            r.stiffness, r.damping = r.report_constants()
    sections = [f(results) for f in SECTIONS]
    os.makedirs(args.out, exist_ok=True)
    if not args.no_plots:
        plots(sections, os.path.join(args.out, "validation"))
    text, ok = page(sections, "validation")
    with open(os.path.join(args.out, "validation.md"), "w", encoding="utf-8") as f:
        f.write(text)
    for s in sections:
        for c in s.checks:
            if not c.ok:
                print(f"OUTSIDE TOLERANCE: {s.title}: {c.what}: {c.describe()}")
    n = sum(len(s.checks) for s in sections)
    print(f"validate.py: {n} checks, {'all within tolerance' if ok else 'some outside tolerance'}; "
          f"page: {os.path.normpath(os.path.join(args.out, 'validation.md'))}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
