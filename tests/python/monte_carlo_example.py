#!/usr/bin/env python3
"""The Monte Carlo example runs to its picture and dataset: 20 samples on a local
Dask cluster of two worker processes, in a folder of its own.  Exit code 77
(skipped) without Dask's distributed scheduler, xarray, netCDF4 or matplotlib."""

import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "examples", "python")
SAMPLES = 20


def main():
    try:
        import distributed  # noqa: F401
        import matplotlib  # noqa: F401
        import netCDF4  # noqa: F401
        import numpy as np
        import xarray as xr
    except ImportError as e:
        print(f"skipped: {e}")
        return 77

    sys.path.insert(0, EXAMPLES)
    import monte_carlo_compressor as example

    # The sample: lognormal velocity with the stated mean and coefficient of
    # variation, uniform damping within its range, the same for the same seed.
    big = example.samples(200000, seed=7)
    vs, damping = big["vs"], big["damping"]
    assert abs(vs.mean() / example.VS_MEAN - 1) < 0.005, vs.mean()
    assert abs(vs.std() / vs.mean() / example.VS_COV - 1) < 0.02, vs.std() / vs.mean()
    assert (vs > 0).all()
    low, high = example.DAMPING_RANGE
    assert low <= damping.min() and damping.max() < high and abs(damping.mean() - (low + high) / 2) < 0.001
    again = example.samples(SAMPLES)
    assert np.array_equal(again["vs"], example.samples(SAMPLES)["vs"])

    folder = tempfile.mkdtemp(prefix="terva-monte-carlo-")
    try:
        picture, study = os.path.join(folder, "band.png"), os.path.join(folder, "study.nc")
        environment = dict(os.environ, DASK_TEMPORARY_DIRECTORY=folder, MPLBACKEND="Agg")
        environment.pop("PYTHONPATH", None)  # the example finds the package of its own source tree
        done = subprocess.run([sys.executable, os.path.join(EXAMPLES, "monte_carlo_compressor.py"),
                               "--samples", str(SAMPLES), "--workers", "2", "--out", picture, "--netcdf", study],
                              cwd=folder, env=environment, capture_output=True, text=True, timeout=300)
        print(done.stdout)
        if done.returncode != 0:
            print(done.stderr)
            return 1
        with open(picture, "rb") as f:
            assert f.read(8) == b"\x89PNG\r\n\x1a\n", "the picture is no PNG"
        assert f"samples: {SAMPLES}, failed: " in done.stdout and "median curve: peak " in done.stdout, done.stdout

        with xr.open_dataset(study) as ds:
            assert ds.sizes["point"] == SAMPLES
            assert np.allclose(ds["vs"].values, again["vs"]) and np.allclose(ds["damping"].values, again["damping"])
            assert ds["UOZ"].attrs["units"] == "m"
            failed = ds["failed"].values
            assert failed.sum() < SAMPLES // 2, f"{failed.sum()} of {SAMPLES} points failed"
            uz = ds["UOZ"].values
            assert np.isfinite(uz[~failed]).all() and np.isnan(uz[failed]).all()
            assert all(ds["error"].values[failed]) and not any(ds["error"].values[~failed])
            # The printed peak of the median is that of the dataset's median curve
            # (the curve is flat near its top: the frequency is one where it is at its peak).
            median = np.median(1e3 * uz[~failed].astype(float), axis=0)
            found = re.search(r"median curve: peak ([0-9.]+) mm at ([0-9.]+) Hz", done.stdout)
            assert found, done.stdout
            peak, hz = float(found.group(1)), float(found.group(2))
            assert abs(peak - median.max()) < 2e-4, (peak, median.max())
            at = int(np.abs(ds["frequency_hz"].values - hz).argmin())
            assert abs(ds["frequency_hz"].values[at] - hz) < 0.006 and median.max() - median[at] < 2e-4
            # The stiffest soil of the sample resonates higher than the softest.
            ok = np.flatnonzero(~failed)
            peaks = ds["frequency_hz"].values[uz[ok].argmax(axis=1)]
            order = np.argsort(ds["vs"].values[ok])
            assert peaks[order[-1]] > peaks[order[0]], (peaks[order[0]], peaks[order[-1]])
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("monte carlo example: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
