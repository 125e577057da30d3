"""Studies: run_many on an executor (a Dask LocalCluster, a thread pool), sweep
to an xarray Dataset, failures kept per point, results that travel."""
import concurrent.futures
import os
import pickle
import shutil
import tempfile
import unittest
import warnings

import numpy as np

import terva

try:
    import xarray as xr
except ImportError:  # pragma: no cover
    xr = None
try:
    import dask
    from distributed import Client, LocalCluster
except ImportError:  # pragma: no cover
    Client = None


def block(vs=200.0, damping=0.05, title="BLOCK"):
    """The issue's acceptance footing: a 2 m disc on a half-space, vertical load."""
    return (terva.Input(title).circle(2.0).mass(100, 200, 200, 300)
            .half_space(vs, 18.5, 0.33, damping).harmonic(200, 5, 5, force=(0, 0, 10, 0, 0, 0)))


ARRAYS = ("frequency_rad_s", "K", "C", "amplitudes", "motions")


def assert_same(testcase, a, b):
    """Bit for bit: every array of two Results."""
    for name in ARRAYS:
        x, y = getattr(a, name), getattr(b, name)
        testcase.assertEqual(x.dtype, y.dtype, name)
        np.testing.assert_array_equal(x, y, err_msg=name)


class Folder(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="terva-study-test-")
        self.addCleanup(shutil.rmtree, self.dir, True)


@unittest.skipIf(Client is None, "Dask's distributed scheduler (python3-distributed) is not installed")
class Cluster(Folder):
    """Twenty projects on a LocalCluster of two worker processes, on a thread
    pool and through terva-batch -j 2: the same arrays, bit for bit."""

    @classmethod
    def setUpClass(cls):
        cls.space = tempfile.mkdtemp(prefix="terva-dask-")
        dask.config.set({"temporary-directory": cls.space, "distributed.worker.daemon": False})
        cls.cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                                   host="127.0.0.1", scheduler_port=0, silence_logs=40)
        cls.client = Client(cls.cluster)

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        cls.cluster.close()
        shutil.rmtree(cls.space, True)

    def test_the_same_projects_on_a_cluster_and_locally(self):
        inputs = [block(vs=120.0 + 10.0 * k, damping=0.02 + 0.002 * k) for k in range(20)]
        local = terva.run_many(inputs, jobs=2)
        remote = terva.run_many(inputs, executor=self.client)
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            threads = terva.run_many(inputs, executor=pool, chunksize=3)  # tasks of 3, 3, ... 2 projects
        serial = terva.run_many(inputs[:3], jobs=1)
        for k in range(20):
            assert_same(self, local[k], remote[k])
            assert_same(self, local[k], threads[k])
        for k in range(3):
            assert_same(self, local[k], serial[k])
        # an input's files were temporary on the worker: the copy names none
        self.assertIsNone(remote[0].report)
        self.assertIsNone(remote[0].project)

    def test_paths_run_beside_themselves_and_failures_stay_per_project(self):
        paths = []
        for k in range(3):
            paths.append(block(vs=150.0 + 50.0 * k).save(os.path.join(self.dir, f"p{k}.tvd")))
        missing = os.path.join(self.dir, "missing.tvd")
        broken = terva.Text("TITLE\nBROKEN\nFOUNDATION=HALF-SPACE\nRUN\n")
        outcomes = terva.run_many([paths[0], missing, broken, paths[1], paths[2]], executor=self.client,
                                  errors="return", chunksize=2)  # tasks [ok, missing] [broken, ok] [ok]
        self.assertEqual([type(o).__name__ for o in outcomes],
                         ["Result", "TervaError", "TervaError", "Result", "Result"])
        self.assertIn("no such project file", str(outcomes[1]))
        self.assertIsNotNone(outcomes[2].code)                  # the engine's code came back with the error
        self.assertTrue(outcomes[2].lines)
        for k in (0, 3, 4):                                     # written beside the project
            self.assertTrue(os.path.isfile(outcomes[k].report))
            self.assertEqual(os.path.dirname(outcomes[k].report), self.dir)
        with self.assertRaises(terva.TervaError) as caught:    # the default: raised after all have run
            terva.run_many([paths[0], missing], executor=self.client)
        self.assertIsInstance(caught.exception.results[0], terva.Result)
        self.assertIn("1 of 2 projects failed", str(caught.exception))

    @unittest.skipIf(xr is None, "xarray is not installed")
    def test_a_sweep_on_the_cluster_equals_the_local_sweep(self):
        base = block()
        here = terva.sweep(base, vs=[150.0, 250.0], damping=[0.03], jobs=2)
        there = terva.sweep(base, vs=[150.0, 250.0], damping=[0.03], executor=self.client)
        xr.testing.assert_identical(here, there)


@unittest.skipIf(xr is None, "xarray (python3-xarray) is not installed")
class Sweep(Folder):
    def test_two_axes_equal_six_single_runs(self):
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", UserWarning)  # the title "S" prints as a number
            base = (terva.Input("S").circle(2.0).mass(100, 200, 200, 300).half_space(200, 18.5, 0.33, 0.05)
                    .harmonic(200, 5, 5, force=(0, 0, 10, 0, 0, 0)))
        ds = terva.sweep(base, vs=[150, 200, 250], damping=[0.02, 0.05])
        self.assertEqual(dict(ds.sizes), {"vs": 3, "damping": 2, "frequency": 40})
        self.assertEqual(list(ds.UOZ.dims), ["vs", "damping", "frequency"])
        np.testing.assert_array_equal(ds.vs, [150, 200, 250])
        np.testing.assert_array_equal(ds.damping, [0.02, 0.05])
        self.assertEqual(ds.vs.attrs["units"], "m/s")
        self.assertEqual(ds.frequency.attrs["units"], "rad/s")
        self.assertEqual(ds.Kww.attrs["units"], "kN/m")
        self.assertEqual(ds.Cppy.attrs["units"], "kN-m-s/rad")
        self.assertFalse(ds.failed.any())
        for vs in (150, 200, 250):
            for damping in (0.02, 0.05):
                with self.subTest(vs=vs, damping=damping):
                    single = terva.run(block(vs=vs, damping=damping))  # built by hand, not replayed
                    point = ds.sel(vs=vs, damping=damping)
                    np.testing.assert_array_equal(point.frequency, single.frequency_rad_s)
                    np.testing.assert_array_equal(point.frequency_hz, single.frequency_hz)
                    for j, name in enumerate(("Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp")):
                        np.testing.assert_array_equal(point[name], single.K[:, j].astype(np.float32))
                    np.testing.assert_array_equal(point.Cww, single.damping["Cww"].astype(np.float32))
                    np.testing.assert_array_equal(point.UOZ, single.amplitudes[:, 2].astype(np.float32))
                    np.testing.assert_array_equal(terva.motion(point, "UOZ"), single.motions[:, 2].astype(np.complex64))
        # the file holds the same
        path = os.path.join(self.dir, "study.nc")
        ds.to_netcdf(path)
        with xr.open_dataset(path) as back:
            xr.testing.assert_equal(back.load(), ds)
            self.assertEqual(back.UOZ.attrs["units"], "m")

    def test_a_failing_point_is_marked_and_the_others_complete(self):
        def footing(vs, poisson):
            if vs == 999:  # an input the engine refuses
                return terva.Text("TITLE\nBROKEN\nFOUNDATION=HALF-SPACE\nRUN\n")
            return block(vs=vs).with_values(poisson=poisson)
        ds = terva.sweep(footing, vs=[150.0, 999.0], poisson=[0.3, 0.6])  # 0.6: Input refuses it
        np.testing.assert_array_equal(ds.failed, [[False, True], [True, True]])
        self.assertIn("Poisson", str(ds.error.sel(vs=150.0, poisson=0.6).values))
        refused = str(ds.error.sel(vs=999.0, poisson=0.3).values)
        self.assertIn("input 'BROKEN': the engine returned 3: ", refused)   # the report's first error line
        self.assertNotIn("project.tvd", refused)                            # not the temporary folder's file
        self.assertEqual(str(ds.error.sel(vs=150.0, poisson=0.3).values), "")
        self.assertTrue(np.isnan(ds.UOZ.sel(vs=999.0, poisson=0.3)).all())
        self.assertFalse(np.isnan(ds.UOZ.sel(vs=150.0, poisson=0.3)).any())
        self.assertEqual(ds.attrs["failed_points"], 3)
        with self.assertRaises(terva.TervaError):               # nothing to return
            terva.sweep(block(), poisson=[0.6, 0.7])
        with self.assertRaisesRegex(ValueError, "no call of this input takes spacing"):
            terva.sweep(block(), spacing=[1.0])                 # refused before anything runs

    def test_monte_carlo_points(self):
        rng = np.random.default_rng(7)
        vs = rng.lognormal(np.log(200.0), 0.2, 5)
        damping = rng.uniform(0.02, 0.08, 5)
        ds = terva.sweep(block(), points={"vs": vs, "damping": damping}, jobs=2)
        self.assertEqual(dict(ds.sizes), {"point": 5, "frequency": 40})
        np.testing.assert_array_equal(ds.vs, vs)
        self.assertEqual(ds.vs.dims, ("point",))
        single = terva.run(block(vs=vs[3], damping=damping[3]))
        np.testing.assert_array_equal(ds.UOZ.isel(point=3), single.amplitudes[:, 2].astype(np.float32))
        listed = terva.sweep(block(), points=[{"vs": v, "damping": d} for v, d in zip(vs[:2], damping[:2])])
        xr.testing.assert_equal(listed, ds.isel(point=slice(0, 2)))


class Api(Folder):
    def test_paths_and_texts_are_told_apart(self):
        text = block().text()
        r = terva.run_text(text)
        self.assertIsNone(r.time)                                 # absent arrays are None
        self.assertIsNone(r.peak_factor)
        with self.assertWarns(DeprecationWarning):                # the old guess still runs, and says so
            old = terva.run(text)
        assert_same(self, r, old)
        named = os.path.join(self.dir, "with\nline break.tvd")  # a plain string is a path, line break or not
        block().save(named)
        self.assertEqual(terva.run(named).project, named)

    def test_results_and_errors_travel(self):
        r = terva.run(block())
        folder = r._folder
        copy = pickle.loads(pickle.dumps(r))
        assert_same(self, r, copy)
        self.assertIsNone(copy.report)                            # the temporary folder goes with r
        self.assertEqual(copy.title, "BLOCK")
        del r
        self.assertFalse(os.path.exists(folder))
        path = block().save(os.path.join(self.dir, "p.tvd"))
        kept = pickle.loads(pickle.dumps(terva.run(path)))
        self.assertEqual(kept.report, os.path.join(self.dir, "p.tvo"))
        self.assertTrue(callable(kept.report))
        loaded = terva.load(path)                                 # without the export: the same units
        self.assertIn("Kppx", loaded.units)
        self.assertEqual(loaded.title, "BLOCK")                   # TITLE=BLOCK, the program's layout
        self.assertEqual(loaded.units, {k: kept.units[k] for k in loaded.units})
        e = terva.TervaError("p: the engine returned 3", ["LINE A", "LINE B"], 3, "p.tvo", "p.tvd")
        e.results = [1, 2]
        back = pickle.loads(pickle.dumps(e))
        self.assertEqual((back.message, back.lines, back.code, back.report, back.project, back.results),
                         ("p: the engine returned 3", ["LINE A", "LINE B"], 3, "p.tvo", "p.tvd", [1, 2]))
        self.assertEqual(str(back), str(e))
        with self.assertRaises(ValueError):
            terva.run_many([path], errors="ignore")

    def test_a_timeout_fails_every_unfinished_project_and_names_inputs_by_title(self):
        outcomes = terva.run_many([block(), block(title="OTHER")], jobs=2, timeout=0.001, errors="return")
        self.assertEqual([str(e) for e in outcomes], ["input 'BLOCK': not finished within the call's 0.001 s",
                                                      "input 'OTHER': not finished within the call's 0.001 s"])

    def test_a_missing_file_fails_alone(self):
        path = block().save(os.path.join(self.dir, "p.tvd"))
        outcomes = terva.run_many([os.path.join(self.dir, "gone.tvd"), path], jobs=2, errors="return")
        self.assertIsInstance(outcomes[0], terva.TervaError)
        self.assertIsInstance(outcomes[1], terva.Result)


if __name__ == "__main__":
    unittest.main()
