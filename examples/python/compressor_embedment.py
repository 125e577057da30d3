#!/usr/bin/env python3
"""Compressor block on a half-space: vertical and rocking response as the embedment varies.

    PYTHONPATH=python python3 examples/python/compressor_embedment.py [--out PICTURE.png]

A reciprocating compressor on a concrete block 6 m x 4 m x 3 m rests on a
half-space; the block is embedded 0 to 2 m in backfill.  The unbalanced
forces grow with the square of the speed (quadratic load): a vertical one and
a horizontal one along the block's length, whose lever arm to the base rocks
the block about Y.  For each embedment the script runs the engine (all depths
at once through terva.run_many), prints the peak vertical and rocking
amplitudes and plots the curves (matplotlib, no display needed).
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python"))


import terva  # noqa: E402

LENGTH, WIDTH, HEIGHT = 6.0, 4.0, 3.0        # block, m
CONCRETE = 24.0                                # kN/m^3
MACHINE_MASS, MACHINE_HEIGHT = 20.0, 3.8       # Mg, m above the base
SOIL = (200.0, 18.0, 0.33, 0.05)               # Vs m/s, unit weight kN/m^3, Poisson, damping
BACKFILL = (150.0, 17.5, 0.35, 0.05)
UNBALANCE = (0.08, 0.0, 0.05, 0.0, 0.0, 0.0)  # Mg*m: horizontal X and vertical coefficients
EMBEDMENTS = (0.0, 0.5, 1.0, 1.5, 2.0)         # m


def block():
    """Mass, centre-of-gravity height and mass moments of block plus machine."""
    m_block = LENGTH * WIDTH * HEIGHT * CONCRETE / 9.81
    m = m_block + MACHINE_MASS
    h = (m_block * HEIGHT / 2 + MACHINE_MASS * MACHINE_HEIGHT) / m
    ix = m_block * (WIDTH ** 2 + HEIGHT ** 2) / 12 + m_block * (HEIGHT / 2 - h) ** 2 + MACHINE_MASS * (MACHINE_HEIGHT - h) ** 2
    iy = m_block * (LENGTH ** 2 + HEIGHT ** 2) / 12 + m_block * (HEIGHT / 2 - h) ** 2 + MACHINE_MASS * (MACHINE_HEIGHT - h) ** 2
    iz = m_block * (LENGTH ** 2 + WIDTH ** 2) / 12
    return m, h, ix, iy, iz


def project(embedment):
    m, h, ix, iy, iz = block()
    inp = terva.Input(f"COMPRESSOR BLOCK EMBEDDED {embedment:g} M").rectangle(LENGTH, WIDTH).mass(m, ix, iy, iz)
    side = [(embedment,) + BACKFILL] if embedment > 0 else []
    inp.half_space(*SOIL, cg_height=h, side_layers=side)
    return inp.harmonic(150.0, 5.0, 0.5, force=UNBALANCE, quadratic=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="compressor-embedment.png", help="the picture to write")
    args = parser.parse_args()
    results = terva.run_many([project(e) for e in EMBEDMENTS], jobs=2)

    print(" embedment   peak vertical (mm)  at (Hz)   peak rocking (mrad)  at (Hz)")
    for e, r in zip(EMBEDMENTS, results):
        f, uz, ry = r.response_frequency_hz, r.amplitudes[:, 2], r.amplitudes[:, 4]
        print(f"  {e:5.1f} m   {1e3 * uz.max():12.4f}   {f[uz.argmax()]:8.2f}   {1e3 * ry.max():14.4f}   "
              f"{f[ry.argmax()]:8.2f}")

    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    fig, axes = plt.subplots(1, 3, figsize=(13, 3.8))
    for e, r in zip(EMBEDMENTS, results):
        f = r.response_frequency_hz
        axes[0].plot(f, 1e3 * r.amplitudes[:, 2], label=f"E = {e:g} m")
        axes[1].plot(f, 1e3 * r.amplitudes[:, 4], label=f"E = {e:g} m")
    axes[2].plot(EMBEDMENTS, [1e3 * r.amplitudes[:, 2].max() for r in results], "o-", label="vertical (mm)")
    axes[2].plot(EMBEDMENTS, [1e3 * r.amplitudes[:, 4].max() for r in results], "s-", label="rocking (mrad)")
    axes[0].set(title="Vertical amplitude", xlabel="frequency (Hz)", ylabel="mm")
    axes[1].set(title="Rocking about Y", xlabel="frequency (Hz)", ylabel="mrad")
    axes[2].set(title="Peak amplitude against embedment", xlabel="embedment (m)")
    axes[0].legend(fontsize=8)
    axes[2].legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(args.out, dpi=110)
    print(f"picture: {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
