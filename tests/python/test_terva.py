"""The Python package against the engine: bundled examples, errors, parallel
runs and the input helper.  Every test works in its own temporary folder."""

import glob
import json
import os
import shutil
import tempfile
import unittest

import numpy as np

import terva
from terva import _report

EXAMPLES = os.environ.get("TERVA_EXAMPLES") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")


def graphic_data(path):
    """The .tvp's numbers, read plainly: (constant lines of 9, response lines of 7)."""
    with open(path) as f:
        lines = [line.split() for line in f if line.strip()]
    nine = np.array([[float(w) for w in l] for l in lines[1:] if len(l) == 9], dtype=np.float32)
    seven = np.array([[float(w) for w in l] for l in lines[1:] if len(l) == 7], dtype=np.float32)
    return int(lines[0][0]), nine.reshape(-1, 9), seven.reshape(-1, 7)


class Folder(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="terva-py-test-")
        self.saved = {k: os.environ.get(k) for k in ("TMPDIR", "XDG_DATA_HOME")}
        os.environ["TMPDIR"] = os.path.join(self.dir, "tmp")
        os.environ["XDG_DATA_HOME"] = os.path.join(self.dir, "data")
        os.makedirs(os.environ["TMPDIR"])
        tempfile.tempdir = None  # TMPDIR is read again

    def tearDown(self):
        for k, v in self.saved.items():
            if v is None:
                os.environ.pop(k, None)
            else:
                os.environ[k] = v
        tempfile.tempdir = None
        shutil.rmtree(self.dir, ignore_errors=True)

    def copy_example(self, name, into=None):
        target = os.path.join(into or self.dir, name)
        shutil.copy(os.path.join(EXAMPLES, name), target)
        return target


class Examples(Folder):
    def test_each_example_returns_the_graphic_data_files_values(self):
        names = sorted(os.path.basename(p) for p in glob.glob(os.path.join(EXAMPLES, "*.tvd")))
        self.assertGreaterEqual(len(names), 6)
        for name in names:
            with self.subTest(example=name):
                r = terva.run(self.copy_example(name))
                count, constants, response = graphic_data(r.graphic_data)
                if len(constants):
                    k, c = constants[0::2], constants[1::2]
                    np.testing.assert_array_equal(r.frequency_rad_s.astype(np.float32), k[:, 0])
                    np.testing.assert_array_equal(r.K.astype(np.float32), k[:, 1:])
                    np.testing.assert_array_equal(r.C.astype(np.float32), c[:, 1:])
                    np.testing.assert_allclose(r.frequency_hz, r.frequency_rad_s / (2 * np.pi), rtol=2e-3)
                    self.assertEqual(r.stiffness["Kww"].shape, (count,))
                if r.load["name"] == "harmonic":
                    self.assertEqual(len(response), count)
                    np.testing.assert_array_equal(r.response_frequency_rad_s.astype(np.float32), response[:, 0])
                    np.testing.assert_array_equal(r.amplitudes.astype(np.float32), response[:, 1:])
                self.assertTrue(os.path.isfile(r.report))
                self.assertIn(r.unit_system, ("English", "SI"))
                self.assertTrue(r.title)

    def test_the_reports_constants_carry_more_digits(self):
        r = terva.run(self.copy_example("half-space.tvd"))
        stiffness, damping = r.report_constants()
        for name in r.stiffness:
            np.testing.assert_allclose(stiffness[name], r.stiffness[name], rtol=5.1e-3, atol=1e-30)
        for name in r.damping:
            np.testing.assert_allclose(damping[name], r.damping[name], rtol=5.1e-3, atol=1e-30)
        self.assertTrue(np.any(stiffness["Kxx"] != r.stiffness["Kxx"]))  # not the same three digits
        t = terva.run(self.copy_example("transient.tvd"))                # no MATRIX
        with self.assertRaises(terva.TervaError):
            t.report_constants()

    def test_transient_and_random_tables_come_from_the_report(self):
        t = terva.run(self.copy_example("transient.tvd"))
        self.assertEqual(t.load["name"], "transient")
        self.assertEqual(t.displacements.shape, (256, 6))   # 256 time points in the input
        self.assertAlmostEqual(t.time[0], 0.01)              # the first row is at dt
        self.assertAlmostEqual(t.time[-1], 2.56)
        self.assertTrue(np.all(t.displacements[:, 0] == 0.0))  # a vertical load only
        self.assertGreater(np.abs(t.displacements[:, 2]).max(), 0.0)
        q = terva.run(self.copy_example("random.tvd"))
        self.assertEqual(q.load["name"], "random")
        self.assertEqual(q.peak_factor.shape, (6,))
        self.assertFalse(np.isnan(q.max_displacement).any())
        self.assertEqual(len(q.spectrum_translation_x), len(q.spectrum_frequency_rad_s))
        self.assertEqual(len(q.spectrum_rotation_y), len(q.spectrum_frequency_rad_s))
        self.assertTrue(np.all(np.diff(q.spectrum_frequency_rad_s) > 0))


class Errors(Folder):
    STRATUM_TOO_DEEP = """TITLE
EMBEDMENT BEYOND THE STRATUM LIMITS
GRAVITY=9.81
FOUNDATION=STRATUM
CIRCULAR=2.0
MASS=10.0, 1.0, 1.0, 1.0, 0.0, 0.0, 0.0
CONSTANTS=0.0, 0.0, 0.5, 3.5, 10.0
SOIL
CONSTANTS=200.0, 18.0, 0.3, 0.05
LOAD=HARMONIC
CONSTANTS=NONQUADRATIC
100.0, 10.0, 10.0
0.0, 0.0, 1.0, 0.0, 0.0, 0.0
RUN
"""

    def test_an_engine_error_raises_with_the_reports_lines(self):
        with self.assertRaises(terva.TervaError) as caught:
            terva.run(self.STRATUM_TOO_DEEP)
        e = caught.exception
        self.assertEqual(e.code, 3)
        self.assertIn("THE STRATUM OPTION IS NOT GOOD FOR THIS CASE", e.lines)
        self.assertIn("*** FATAL ERROR IN INPUT DATA ***", e.lines)
        self.assertIn("THE STRATUM OPTION IS NOT GOOD", str(e))
        # the input text ran in a temporary folder, which is gone
        self.assertEqual(os.listdir(os.environ["TMPDIR"]), [])

    def test_a_project_file_keeps_its_folder_clean_and_its_previous_results(self):
        project = os.path.join(self.dir, "deep.tvd")
        with open(project, "w") as f:
            f.write(self.STRATUM_TOO_DEEP.replace("RUN\n", "STOP\n"))
        with self.assertRaises(terva.TervaError) as caught:
            terva.run(project)
        self.assertEqual(caught.exception.code, 3)  # the fatal error wins over STOP
        self.assertEqual(sorted(os.listdir(self.dir)), ["data", "deep.tvd", "deep.tvo", "deep.tvp", "tmp"])

    def test_missing_project_and_missing_program(self):
        with self.assertRaises(terva.TervaError):
            terva.run(os.path.join(self.dir, "none.tvd"))
        saved = os.environ.get("TERVA_BATCH")
        os.environ["TERVA_BATCH"] = os.path.join(self.dir, "no-such-program")
        try:
            with self.assertRaises(terva.TervaError):
                terva.find_batch()
        finally:
            if saved is None:
                os.environ.pop("TERVA_BATCH")
            else:
                os.environ["TERVA_BATCH"] = saved


class Parallel(Folder):
    def test_run_many_with_two_jobs_equals_one_at_a_time(self):
        names = ["half-space.tvd", "stratum.tvd", "pile-group.tvd", "single-pile.tvd"]
        one = [terva.run(self.copy_example(n)) for n in names]
        other = os.path.join(self.dir, "again")
        os.makedirs(other)
        many = terva.run_many([self.copy_example(n, other) for n in names], jobs=2)
        self.assertEqual(len(many), len(names))
        for a, b in zip(one, many):
            self.assertEqual(a.title, b.title)
            np.testing.assert_array_equal(a.K, b.K)
            np.testing.assert_array_equal(a.C, b.C)
            np.testing.assert_array_equal(a.amplitudes, b.amplitudes)

    def test_run_many_reports_which_project_failed(self):
        good = self.copy_example("half-space.tvd")
        with self.assertRaises(terva.TervaError) as caught:
            terva.run_many([good, Errors.STRATUM_TOO_DEEP], jobs=2)
        results = caught.exception.results
        self.assertIsInstance(results[0], terva.Result)
        self.assertIsInstance(results[1], terva.TervaError)
        self.assertEqual(results[1].code, 3)


def _clean(testcase, inp):
    """Runs an Input: return code 0, no error lines in the report, results present."""
    r = terva.run(inp.text())
    with open(r.report, encoding="latin-1") as f:
        testcase.assertEqual(_report.error_lines(f.read()), [])
    testcase.assertGreater(len(r.frequency_rad_s), 1)
    testcase.assertEqual(r.amplitudes.shape, (len(r.frequency_rad_s), 6))
    testcase.assertTrue(np.all(r.stiffness["Kww"] > 0))
    return r


class InputCases(Folder):
    def test_each_helper_case_analyses_cleanly(self):
        cases = {
            "disc on a half-space": terva.Input("DISC ON A HALF-SPACE").circle(2.0).mass(100, 80, 80, 120)
            .half_space(250.0, 19.0, 0.33, 0.05, cg_height=1.0).harmonic(200, 5, 5, force=(0, 0, 10, 0, 0, 0)),
            "embedded block": terva.Input("EMBEDDED BLOCK", units="English").rectangle(20, 10)
            .mass(400, 15000, 20000, 30000).half_space(800, 120, 0.33, 0.05, cg_height=3.0,
                                                       side_layers=[(2.0, 600, 110, 0.35, 0.05)])
            .harmonic(300, 10, 10, force=(1000, 0, 1000, 0, 0, 0)),
            "stratum": terva.Input("FAN ON A STRATUM").rectangle(4, 3).mass(150, 400, 420, 600)
            .stratum(200.0, 18.5, 0.4, 0.05, depth=12.0, embedment=1.0, cg_height=1.2)
            .harmonic(200, 5, 5, force=(0, 0.02, 0, 0, 0, 0), quadratic=True),
            "pile group": terva.Input("PILE GROUP").rectangle(5, 5).mass(300, 900, 900, 1400)
            .pile_group([(-1.25, -1.25), (1.25, -1.25), (-1.25, 1.25), (1.25, 1.25)], length=12.0,
                        soil=(150.0, 18.0, 0.4, 0.05), below=(250.0, 19.0, 0.35, 0.05), radius=0.25,
                        area=0.196, inertia=0.00307, torsion=0.00614, young=3.0e7, unit_weight=24.0,
                        elements=6, cg_height=1.0).harmonic(300, 10, 10, force=(10, 0, 10, 0, 0, 0)),
            "pinned single pile": terva.Input("PINNED PILE").circle(0.5).mass(10, 1, 1, 1)
            .pile_group([(0, 0)], length=10.0, soil=[(100.0, 18.0, 0.4, 0.05), (150.0, 18.5, 0.4, 0.05)],
                        below=(200.0, 19.0, 0.4, 0.05), radius=0.3, area=0.283, inertia=0.00636,
                        torsion=0.0127, young=3.0e7, unit_weight=24.0, elements=2, fixed=False)
            .harmonic(100, 10, 10, force=(1, 0, 1, 0, 0, 0)),
        }
        for name, inp in cases.items():
            with self.subTest(case=name):
                _clean(self, inp)

    def test_run_takes_an_input_object(self):
        inp = terva.Input("DISC").circle(1.0).mass(10, 5, 5, 5).half_space(200, 18, 0.3, 0.05) \
            .harmonic(100, 10, 10, force=(0, 0, 1, 0, 0, 0))
        self.assertEqual(terva.run(inp).title, "DISC")

    def test_refuses_what_the_engine_would_refuse(self):
        base = terva.Input("X1").circle(2.0).mass(10, 1, 1, 1)
        with self.assertRaises(ValueError):
            base.stratum(200, 18, 0.3, 0.05, depth=10.0, embedment=3.5)   # E/R = 1.75
        base.stratum(200, 18, 0.3, 0.05, depth=4.0, embedment=3.0)        # E/R 1.5, E/H 0.75 pass
        with self.assertRaises(ValueError):
            base.half_space(200, 18, 0.5, 0.05)
        with self.assertRaises(ValueError):
            base.harmonic(2000, 0, 1)                                       # 2001 frequencies
        with self.assertRaises(ValueError):
            terva.Input("PUMP T BLOCK")                                     # a lone T reads as a number
        with self.assertRaises(ValueError):
            terva.Input("X1").circle(1.0).text()                            # incomplete


class ExportFile(unittest.TestCase):
    def test_a_results_file_of_the_export_format(self):
        data = json.loads("""{"format": "terva-results", "version": 1, "project": "p.tvd",
          "report": "p.tvo", "graphic_data": "p.tvp", "title": "T1", "unit_system": "SI",
          "foundation": {"code": 1, "name": "HALF-SPACE"}, "load": {"code": 1, "name": "harmonic"},
          "units": {"frequency": "Hz"}, "frequency_hz": [1.0, 2.0], "frequency_rad_s": [6.28, 12.56],
          "stiffness": {"Kxx": [1, 2], "Kyy": [1, 2], "Kww": [3, 4], "Kppx": [5, 6], "Kppy": [5, 6],
                        "Kzt": [7, 8], "Kxp": [0, 0], "Kyp": [0, 0]},
          "damping": {"Cxx": [1, 1], "Cyy": [1, 1], "Cww": [2, 2], "Cppx": [3, 3], "Cppy": [3, 3],
                      "Czt": [4, 4], "Cxp": [0, 0], "Cyp": [0, 0]},
          "response": {"frequency_hz": [1.0, 2.0], "frequency_rad_s": [6.28, 12.56],
                       "amplitudes": {"ux": [0, 0], "uy": [0, 0], "uz": [1e-5, 2e-5], "rx": [0, 0],
                                      "ry": [0, 0], "rz": [0, 0]}}}""")
        r = terva.Result(data)
        np.testing.assert_array_equal(r.K[:, 2], [3, 4])
        np.testing.assert_array_equal(r.C[:, 5], [4, 4])
        np.testing.assert_array_equal(r.amplitudes[:, 2], [1e-5, 2e-5])
        self.assertEqual(r.amplitude_names, ["ux", "uy", "uz", "rx", "ry", "rz"])
        np.testing.assert_array_equal(r.frequency_hz, [1.0, 2.0])


if __name__ == "__main__":
    unittest.main()
