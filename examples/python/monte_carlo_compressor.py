#!/usr/bin/env python3
"""Compressor block on a half-space: Monte Carlo study of the vertical amplitude.

    TERVA_BATCH=build/bin/terva-batch python3 examples/python/monte_carlo_compressor.py \\
        [--samples 1000] [--workers 2] [--out PICTURE.png] [--netcdf STUDY.nc]

The block, machine and unbalance of compressor_embedment.py rest on the surface
of a half-space whose shear wave velocity is lognormal (mean 200 m/s,
coefficient of variation 0.2) and whose material damping is uniform between
0.02 and 0.08.  The samples (fixed seed) run through terva.sweep on a local
Dask cluster, one engine process per task; the script plots the 5 %, 50 % and
95 % bands of the vertical amplitude with the mean case, and prints the
number of samples, the failed ones, the wall time and the peak of the median.
Needs python3-distributed, python3-xarray and python3-matplotlib.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python"))

import numpy as np  # noqa: E402

import terva  # noqa: E402
from compressor_embedment import HEIGHT, LENGTH, SOIL, UNBALANCE, WIDTH, block  # noqa: E402

VS_MEAN, VS_COV = SOIL[0], 0.2          # shear wave velocity: lognormal, m/s
DAMPING_RANGE = (0.02, 0.08)            # material damping: uniform
FREQUENCIES = (200.0, 5.0, 2.5)         # rad/s: max, min, step (0.8 to 32 Hz)
SEED = 20261209


def base_case():
    """The mean case: the block on the surface of the half-space of compressor_embedment.py."""
    m, h, ix, iy, iz = block()
    return (terva.Input("COMPRESSOR BLOCK MONTE CARLO").rectangle(LENGTH, WIDTH).mass(m, ix, iy, iz)
            .half_space(*SOIL, cg_height=h)
            .harmonic(*FREQUENCIES, force=UNBALANCE, quadratic=True))


def samples(n, seed=SEED):
    """n samples {"vs": [...], "damping": [...]}: the velocity lognormal with the
    mean VS_MEAN and coefficient of variation VS_COV, the damping uniform."""
    rng = np.random.default_rng(seed)
    sigma = np.sqrt(np.log1p(VS_COV ** 2))
    vs = rng.lognormal(np.log(VS_MEAN) - sigma ** 2 / 2, sigma, n)
    damping = rng.uniform(*DAMPING_RANGE, n)
    return {"vs": vs, "damping": damping}


def to_mm(variable):
    """A displacement variable's values in mm, from the units it carries."""
    scale = {"m": 1e3, "mm": 1.0, "ft": 304.8, "in": 25.4}[variable.attrs.get("units", "m")]
    return scale * variable


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--samples", type=int, default=1000, help="the number of samples (default 1000)")
    parser.add_argument("--workers", type=int, default=2, help="Dask worker processes (default 2)")
    parser.add_argument("--seed", type=int, default=SEED, help=f"the random generator's seed (default {SEED})")
    parser.add_argument("--out", default=os.path.join("docs", "python-monte-carlo.png"),
                        help="the picture to write (default docs/python-monte-carlo.png)")
    parser.add_argument("--netcdf", metavar="FILE", help="also write the dataset to this netCDF file")
    args = parser.parse_args()
    if args.samples < 1 or args.workers < 1:
        parser.error("--samples and --workers must be at least 1")

    from dask.distributed import Client, LocalCluster

    base = base_case()
    mean_case = terva.run(base)
    start = time.monotonic()
    with LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                      dashboard_address=":0") as cluster, Client(cluster) as client:
        ds = terva.sweep(base, points=samples(args.samples, args.seed), executor=client)
    wall = time.monotonic() - start
    if args.netcdf:
        ds.to_netcdf(args.netcdf)

    f_hz = ds["frequency_hz"].values
    uz = to_mm(ds["UOZ"])
    bands = uz.quantile([0.05, 0.5, 0.95], dim="point", skipna=True).values
    failed = int(ds["failed"].sum())
    median = bands[1]
    peaks = uz.max("frequency", skipna=False).values
    peaks = peaks[np.isfinite(peaks)]
    at = int(np.nanargmax(median)) if np.isfinite(median).any() else None

    print(f"samples: {args.samples}, failed: {failed}, workers: {args.workers}, wall time: {wall:.1f} s")
    if failed:
        for error in ds["error"].values[ds["failed"].values][:5]:
            print(f"  failed: {str(error).splitlines()[0] if str(error) else '(no message)'}")
    if at is not None:
        print(f"median curve: peak {median[at]:.4f} mm at {f_hz[at]:.2f} Hz")
        print(f"peak amplitude of the samples: 5 % {np.percentile(peaks, 5):.4f} mm, "
              f"50 % {np.percentile(peaks, 50):.4f} mm, 95 % {np.percentile(peaks, 95):.4f} mm")
    mean_f, mean_uz = mean_case.response_frequency_hz, 1e3 * mean_case.amplitudes[:, 2]  # SI: m to mm
    k = int(np.argmax(mean_uz))
    print(f"mean case (Vs {VS_MEAN:g} m/s, damping {SOIL[3]:g}): peak {mean_uz[k]:.4f} mm at {mean_f[k]:.2f} Hz")

    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(8, 5))
    ax.fill_between(f_hz, bands[0], bands[2], color="tab:blue", alpha=0.25, linewidth=0,
                    label="5 % to 95 % of the samples")
    ax.plot(f_hz, bands[0], color="tab:blue", linewidth=0.8)
    ax.plot(f_hz, bands[2], color="tab:blue", linewidth=0.8)
    ax.plot(f_hz, median, color="tab:blue", linewidth=2, label="median (50 %)")
    ax.plot(mean_f, mean_uz, "k--", linewidth=1.5, label=f"mean case: Vs = {VS_MEAN:g} m/s, D = {SOIL[3]:g}")
    if at is not None:
        ax.plot(f_hz[at], median[at], "o", color="tab:blue")
        ax.annotate(f"median peak {median[at]:.3f} mm\nat {f_hz[at]:.1f} Hz", (f_hz[at], median[at]),
                    xytext=(0.55, 0.55), textcoords="axes fraction", fontsize=9,
                    arrowprops={"arrowstyle": "->", "color": "0.3"})
    ax.text(0.98, 0.97, f"block {LENGTH:g} × {WIDTH:g} × {HEIGHT:g} m, total mass {block()[0]:.0f} Mg\n"
            f"vertical unbalance {UNBALANCE[2]:g} Mg·m × ω²", transform=ax.transAxes,
            ha="right", va="top", fontsize=9, bbox={"facecolor": "white", "edgecolor": "0.7"})
    ax.set_xlim(f_hz[0], f_hz[-1])
    ax.set_ylim(0, 1.15 * max(np.nanmax(bands[2]), np.nanmax(mean_uz)))  # room for the notes above
    ax.set_xlabel("frequency (Hz)")
    ax.set_ylabel("vertical amplitude UOZ at the centre of gravity (mm)")
    ax.set_title(f"Compressor block on a half-space: {args.samples} samples of the soil\n"
                 f"Vs lognormal (mean {VS_MEAN:g} m/s, CoV {VS_COV:g}), "
                 f"damping uniform {DAMPING_RANGE[0]:g} to {DAMPING_RANGE[1]:g}", fontsize=11)
    ax.grid(True, alpha=0.3)
    ax.legend(loc="lower right", fontsize=9)
    fig.tight_layout()
    folder = os.path.dirname(args.out)
    if folder:
        os.makedirs(folder, exist_ok=True)
    fig.savefig(args.out, dpi=110)
    print(f"picture: {args.out}" + (f", dataset: {args.netcdf}" if args.netcdf else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
