#!/usr/bin/env python3
"""200 small projects three ways, in one run: one after another (run_many with
jobs=1), side by side through terva-batch -j 2 (run_many(jobs=2)), and as
tasks on a Dask LocalCluster of two worker processes (run_many(executor=client)).

    PYTHONPATH=python TERVA_BATCH=build/bin/terva-batch /usr/bin/python3 bench/python_study_bench.py [-n 200] [--repeat 3]

The cluster runs one project a task (chunksize=1), then as run_many chooses
(200 projects on 2 worker threads: 16 a task), then 8 a task.  Prints each way's
wall time (the best of --repeat), its time per project, and the cluster's
overhead per project against run_many(jobs=2) (the same two processors).  The cluster's start is timed
on its own and left out of the comparison.  Every way must give the same
arrays: the script checks it.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))

import numpy as np  # noqa: E402

import terva  # noqa: E402


def small(k):
    """A 2 m disc on a half-space, 40 frequencies: about the smallest real project."""
    return (terva.Input("BLOCK").circle(2.0).mass(100, 200, 200, 300)
            .half_space(150.0 + k * 0.5, 18.5, 0.33, 0.05).harmonic(200, 5, 5, force=(0, 0, 10, 0, 0, 0)))


def best(repeat, f):
    times, out = [], None
    for _ in range(repeat):
        start = time.perf_counter()
        out = f()
        times.append(time.perf_counter() - start)
    return min(times), out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-n", type=int, default=200)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    from distributed import Client, LocalCluster
    import dask

    inputs = [small(k) for k in range(args.n)]
    space = tempfile.mkdtemp(prefix="terva-bench-dask-")
    dask.config.set({"temporary-directory": space})
    try:
        start = time.perf_counter()
        cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                               host="127.0.0.1", silence_logs=40)
        client = Client(cluster)
        client.run(lambda: __import__("terva"))  # the workers import the package once
        started = time.perf_counter() - start

        ways = [("serial (run_many, jobs=1)", lambda: terva.run_many(inputs, jobs=1, progress=False)),
                ("run_many(jobs=2)", lambda: terva.run_many(inputs, jobs=2, progress=False)),
                ("LocalCluster(2 workers)", lambda: terva.run_many(inputs, executor=client, progress=False,
                                                                  chunksize=1)),
                ("LocalCluster, chunksize auto", lambda: terva.run_many(inputs, executor=client, progress=False)),
                ("LocalCluster, chunksize=8", lambda: terva.run_many(inputs, executor=client, progress=False,
                                                                    chunksize=8))]
        timed = {}
        reference = None
        for name, f in ways:
            seconds, results = best(args.repeat, f)
            timed[name] = seconds
            if reference is None:
                reference = results
            else:
                for a, b in zip(reference, results):
                    assert np.array_equal(a.K, b.K) and np.array_equal(a.motions, b.motions), name
        client.close()
        cluster.close()
    finally:
        shutil.rmtree(space, True)

    n = args.n
    print(f"{n} projects (a disc on a half-space, 40 frequencies), best of {args.repeat}, {os.cpu_count()} processors")
    print(f"LocalCluster start (not counted): {started:.2f} s")
    for name, seconds in timed.items():
        print(f"  {name:28s} {seconds:7.2f} s   {1000 * seconds / n:7.1f} ms per project")
    local = timed["run_many(jobs=2)"]
    for name in ("LocalCluster(2 workers)", "LocalCluster, chunksize auto", "LocalCluster, chunksize=8"):
        remote = timed[name]
        print(f"{name} overhead against run_many(jobs=2): {1000 * (remote - local) / n:+.1f} ms per project "
              f"(wall), {2000 * (remote - local) / n:+.1f} ms of worker time per project")
    print("every way gave the same arrays")


if __name__ == "__main__":
    main()
