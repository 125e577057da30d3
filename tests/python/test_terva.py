"""The Python package against the engine: bundled examples, errors, parallel
runs and the input helper.  Every test works in its own temporary folder."""

import glob
import json
import os
import pathlib
import re
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
        self.saved = {k: os.environ.get(k) for k in ("TMPDIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME")}
        os.environ["TMPDIR"] = os.path.join(self.dir, "tmp")
        os.environ["XDG_DATA_HOME"] = os.path.join(self.dir, "data")
        os.environ["XDG_CONFIG_HOME"] = os.path.join(self.dir, "config")  # the program's settings
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


def results_file(path):
    """The .tvj read plainly: every number rounded to float32 (null as NaN)."""
    def f32(v):
        if isinstance(v, dict):
            return {k: f32(x) for k, x in v.items()}
        if isinstance(v, list):
            return np.array([np.nan if x is None else x for x in v], dtype=np.float32)
        return v
    with open(path) as f:
        return f32(json.load(f))


def printed(values, digits):
    """`values` as the report prints them with `digits` significant digits."""
    return np.array([float(f"{v:.{digits - 1}E}") for v in values])


def assert_within_printed(testcase, what, printed_values, values, relative):
    values = np.asarray(values, dtype=float)
    bad = np.abs(np.asarray(printed_values) - values) > relative * np.abs(values) + 1e-30
    testcase.assertFalse(bad.any(), f"{what}: printed {np.asarray(printed_values)[bad][:3]}, "
                                    f"full {values[bad][:3]}")


class Examples(Folder):
    def test_each_example_returns_the_results_files_floats(self):
        names = sorted(os.path.basename(p) for p in glob.glob(os.path.join(EXAMPLES, "*.tvd")))
        self.assertGreaterEqual(len(names), 6)
        for name in names:
            with self.subTest(example=name):
                r = terva.run(self.copy_example(name))
                self.assertEqual(r.precision, "single")
                self.assertIsNone(r.note)
                full = results_file(r.results_file)
                count, constants, response = graphic_data(r.graphic_data)
                self.assertEqual(full["count"], count)
                # every array the engine's float exactly, the constants with or without MATRIX
                np.testing.assert_array_equal(r.frequency_rad_s, full["omega"])
                np.testing.assert_array_equal(r.K, np.column_stack(list(full["stiffness"].values())))
                np.testing.assert_array_equal(r.C, np.column_stack(list(full["damping"].values())))
                self.assertEqual(r.stiffness["Kww"].shape, (count,))
                # Hz by the report's rule, as the export and the report give them
                with open(os.path.splitext(r.project)[0] + ".results.json") as f:
                    export = json.load(f)
                np.testing.assert_array_equal(r.frequency_hz, np.float32(export["frequency_hz"]))
                self.assertEqual(export["precision"], "single")
                with open(r.report, encoding="latin-1") as f:
                    report = f.read()
                hz = [float(v) for v in re.findall(r"FREQUENCY  - +([\d.]+) Hz \(", report)]
                if hz:
                    np.testing.assert_array_equal(np.round(r.frequency_hz[:len(hz)], 4), hz)
                # the graphic data file agrees within its printed digits
                if len(constants):
                    k, c = constants[0::2], constants[1::2]
                    assert_within_printed(self, "rad/s", k[:, 0], r.frequency_rad_s, 5.01e-3)
                    assert_within_printed(self, "K", k[:, 1:], r.K, 5.01e-3)
                    assert_within_printed(self, "C", c[:, 1:], r.C, 5.01e-3)
                if r.load["name"] == "harmonic":
                    self.assertEqual(len(response), count)
                    amplitudes = np.column_stack(list(full["response"]["amplitude"].values()))
                    np.testing.assert_array_equal(r.amplitudes, amplitudes)
                    np.testing.assert_array_equal(r.response_frequency_rad_s, r.frequency_rad_s)
                    assert_within_printed(self, "amplitudes", response[:, 1:], r.amplitudes, 5.01e-5)
                    np.testing.assert_array_equal(r.motions.real, np.column_stack(list(full["response"]["real"].values())))
                    np.testing.assert_array_equal(r.motions.imag, np.column_stack(list(full["response"]["imag"].values())))
                    np.testing.assert_allclose(np.abs(r.motions), r.amplitudes, rtol=1e-6, atol=1e-37)
                else:
                    self.assertIsNone(r.amplitudes)
                    self.assertIsNone(r.motions)
                self.assertIn(r.unit_system, ("English", "SI"))
                self.assertTrue(r.title)

    def test_the_constants_are_the_floats_the_report_prints_with_six_digits(self):
        for name in ("half-space.tvd", "pile-group-3x3.tvd", "parabolic-pile.tvd"):
            with self.subTest(example=name):
                r = terva.run(self.copy_example(name))
                with open(r.report, encoding="latin-1") as f:
                    text = f.read()
                kww = re.search(r"\(KWW\)[ .]*([-+]?\d\.\d{5}E[-+]\d+)", text).group(1)
                self.assertEqual(f"{r.stiffness['Kww'][0]:.5E}", kww)
                stiffness, damping = r.report_constants()
                for got, want in list(zip(r.stiffness.values(), stiffness.values())) + \
                        list(zip(r.damping.values(), damping.values())):
                    np.testing.assert_array_equal(printed(got, 6), want)
        t = terva.run(self.copy_example("transient.tvd"))                # no MATRIX: nothing printed
        self.assertEqual(t.K.shape, (len(t.frequency_rad_s), 8))         # but the constants are there
        with self.assertRaises(terva.TervaError):
            t.report_constants()

    def test_transient_and_random_results_agree_with_the_reports_tables(self):
        t = terva.run(self.copy_example("transient.tvd"))
        full = results_file(t.results_file)["transient"]
        self.assertEqual(t.load["name"], "transient")
        self.assertEqual(t.displacements.shape, (256, 6))   # 256 time points in the input
        np.testing.assert_array_equal(t.time, full["time"])
        self.assertAlmostEqual(t.time[0], 0.01, places=6)   # the first row is at dt
        self.assertAlmostEqual(t.time[-1], 2.56, places=5)
        self.assertTrue(np.all(t.displacements[:, 0] == 0.0))  # a vertical load only
        self.assertEqual(t.spectrum.shape, (len(t.frequency_rad_s), 6))
        np.testing.assert_array_equal(t.spectrum.imag[:, 2], full["spectrum"]["imag"]["UOZ"])
        with open(t.report, encoding="latin-1") as f:
            table = _report.transient(f.read())
        np.testing.assert_allclose(table["time"], t.time, atol=0.0051)
        assert_within_printed(self, "history", table["displacements"], t.displacements, 5.01e-5)
        q = terva.run(self.copy_example("random.tvd"))
        full = results_file(q.results_file)["random"]
        self.assertEqual(q.load["name"], "random")
        np.testing.assert_array_equal(q.peak_factor, full["peak_factor"])
        np.testing.assert_array_equal(q.max_displacement, full["maximum"])
        np.testing.assert_array_equal(q.spectrum_frequency_rad_s, q.frequency_rad_s)
        np.testing.assert_array_equal(q.spectrum_translation_x, full["spectrum"]["UOX"])
        np.testing.assert_array_equal(q.spectrum_rotation_y, full["spectrum"]["EPOY"])
        self.assertEqual(q.spectrum.shape, (len(q.frequency_rad_s), 6))
        with open(q.report, encoding="latin-1") as f:
            table = _report.random(f.read())
        np.testing.assert_allclose(table["peak_factor"], q.peak_factor, atol=0.051)
        assert_within_printed(self, "maximum", table["max_displacement"], q.max_displacement, 5.01e-4)
        assert_within_printed(self, "spectrum", table["translation_x"], q.spectrum_translation_x, 5.01e-7)


class OlderResults(Folder):
    """Results without a results file of their run: the graphic data file's digits, with a note."""

    def test_a_missing_or_foreign_results_file_falls_back_to_the_graphic_data(self):
        project = self.copy_example("half-space.tvd")
        other = self.copy_example("stratum.tvd")
        full = terva.run(project)
        terva.run(other)
        stem = os.path.splitext(project)[0]
        count, constants, response = graphic_data(stem + ".tvp")
        cases = {
            "no results file": lambda: os.remove(stem + ".tvj"),
            "another run's file": lambda: shutil.copy(os.path.splitext(other)[0] + ".tvj", stem + ".tvj"),
            "one frequency less": lambda: self.truncated(os.path.splitext(other)[0] + ".tvj", stem + ".tvj"),
            "not a results file": lambda: self.write(stem + ".tvj", '{"format": "x"}'),
            "broken JSON": lambda: self.write(stem + ".tvj", "{"),
        }
        kept = os.path.join(self.dir, "kept.tvj")
        shutil.copy(full.results_file, kept)
        for case, make in cases.items():
            with self.subTest(case=case):
                shutil.copy(kept, full.results_file)
                make()
                with self.assertWarns(terva.PrecisionWarning):
                    r = terva.load(project)
                self.assertEqual(r.precision, "graphic data (3 to 5 digits)")
                self.assertIn("3 significant digits" if case == "no results file" else "not used", r.note)
                self.assertIsNone(r.results_file)
                self.assertIsNone(r.motions)
                np.testing.assert_array_equal(r.K.astype(np.float32), constants[0::2, 1:])
                np.testing.assert_array_equal(r.amplitudes.astype(np.float32), response[:, 1:])
                np.testing.assert_array_equal(r.frequency_hz, full.frequency_hz)  # the same rule
        shutil.copy(kept, full.results_file)
        r = terva.load(project)
        self.assertEqual(r.precision, "single")
        np.testing.assert_array_equal(r.K, full.K)
        with self.assertRaises(terva.TervaError):
            terva.load(os.path.join(self.dir, "never-run.tvd"))

    @staticmethod
    def write(path, text):
        with open(path, "w") as f:
            f.write(text)

    @staticmethod
    def truncated(source, target):
        with open(source) as f:
            doc = json.load(f)
        doc["omega"] = doc["omega"][:-1]
        with open(target, "w") as f:
            json.dump(doc, f)

    def test_transient_and_random_tables_from_the_report_without_results_file(self):
        for name in ("transient.tvd", "random.tvd"):
            project = self.copy_example(name)
            full = terva.run(project)
            os.remove(full.results_file)
            with self.assertWarns(terva.PrecisionWarning):
                r = terva.load(project)
            with self.subTest(example=name):
                if name == "transient.tvd":
                    self.assertEqual(r.displacements.shape, full.displacements.shape)
                    np.testing.assert_allclose(r.displacements, full.displacements, rtol=5.01e-5, atol=1e-30)
                    self.assertIsNone(r.spectrum)
                else:
                    np.testing.assert_allclose(r.max_displacement, full.max_displacement, rtol=5.01e-4)
                    self.assertEqual(len(r.spectrum_translation_x), len(full.frequency_rad_s))


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
            terva.run_text(self.STRATUM_TOO_DEEP)
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
        self.assertEqual(caught.exception.report, os.path.join(self.dir, "deep.failed.tvo"))
        self.assertIn("*** FATAL ERROR IN INPUT DATA ***", caught.exception.lines)
        self.assertEqual(sorted(os.listdir(self.dir)), ["data", "deep.failed.tvo", "deep.tvd", "tmp"])

    def test_a_failed_run_leaves_the_previous_results_byte_for_byte(self):
        project = self.copy_example("half-space.tvd")
        terva.run(project)
        stem = os.path.splitext(project)[0]
        before = {ext: open(stem + ext, "rb").read() for ext in (".tvo", ".tvp", ".tvj")}
        with open(project, "w") as f:
            f.write(self.STRATUM_TOO_DEEP)
        with self.assertRaises(terva.TervaError) as caught:
            terva.run(project)
        self.assertIn("previous results are kept", str(caught.exception))
        for ext, data in before.items():
            with open(stem + ext, "rb") as f:
                self.assertEqual(f.read(), data, ext)

    def test_a_timeout_stops_the_run_and_leaves_nothing_behind(self):
        piles = "".join(f"{i + 1},{(i % 20) * 3 - 28},{(i // 20) * 3 - 28}\n" for i in range(400))
        deck = ("NOECHO\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=60.0,60.0\n"
                "MASS=5000,1E6,1E6,2E6,0,0,0\nLAYERS=3\nFIXED=400\n" + piles +
                "CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n3(1,10,0.5,0.5,0.785,0.049,0.049,0.098)\n"
                "INTERACTION\nSOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\n"
                "BELOW=900,125,0.35,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n2048,2,2\n1000,1000,1000,0,0,0\nRUN\n")
        project = os.path.join(self.dir, "slow.tvd")
        with open(project, "w") as f:
            f.write(deck)
        for ext in (".tvo", ".tvp"):
            with open(os.path.join(self.dir, "slow" + ext), "w") as f:
                f.write("old " + ext)
        with self.assertRaises(terva.TervaError) as caught:
            terva.run(project, timeout=1)
        self.assertIn("did not finish within 1 s; the previous results are kept", str(caught.exception))
        for ext in (".tvo", ".tvp"):
            with open(os.path.join(self.dir, "slow" + ext)) as f:
                self.assertEqual(f.read(), "old " + ext)
        self.assertEqual(glob.glob(os.path.join(self.dir, "data", "Halvit", "TERVA", "runs", "*")), [])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "slow.tvo.lock")))

    def test_a_path_with_a_line_break_runs_and_reports_success(self):
        project = os.path.join(self.dir, "new\nline.tvd")
        with open(self.copy_example("half-space.tvd")) as f, open(project, "w") as g:
            g.write(f.read())
        result = terva.run(pathlib.Path(project))
        self.assertIn("HALF-SPACE", result.title)
        self.assertTrue(os.path.isfile(os.path.join(self.dir, "new\nline.tvo")))

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
            terva.run_many([good, terva.Text(Errors.STRATUM_TOO_DEEP)], jobs=2)
        results = caught.exception.results
        self.assertIsInstance(results[0], terva.Result)
        self.assertIsInstance(results[1], terva.TervaError)
        self.assertEqual(results[1].code, 3)


def _clean(testcase, inp):
    """Runs an Input: return code 0, no error lines in the report, results present."""
    r = terva.run_text(inp.text())
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
        with self.assertWarnsRegex(UserWarning, "single letter"):
            terva.Input("PUMP T BLOCK")                                     # a lone T prints as a number
        with self.assertRaises(ValueError):
            terva.Input("X1").circle(1.0).text()                            # incomplete


def _masked_report(path):
    """The report with its dates and times masked, as the reference outputs are."""
    with open(path, encoding="latin-1") as f:
        text = f.read()
    return re.sub(r"[0-9]{2}:[0-9]{2}:[0-9]{2}", "HH:MM:SS", re.sub(r"[0-9]{2}/[0-9]{2}/[0-9]{4}", "MM/DD/YYYY", text))


class InputLayout(Folder):
    """Input writes the program's project layout; the engine reads it to the
    report of the engine's free layout of the same input."""

    def test_project_layout_runs_to_the_free_layout_report(self):
        from input_cases import cases
        for name, inp in cases().items():
            with self.subTest(case=name):
                project = inp.save(os.path.join(self.dir, name + ".tvd"))
                free = os.path.join(self.dir, name + "-free.tvd")
                with open(free, "w", encoding="latin-1") as f:
                    f.write(inp.free_text())
                a, b = terva.run_many([project, free], jobs=2)
                report, free_report = _masked_report(a.report), _masked_report(b.report)
                self.assertIn("RESULTS", report)
                if inp._foundation[0] == "PILE":
                    # The project layout always gives pile soil a weakened zone, of
                    # shear modulus ratio 1: its echo table is the one difference.
                    start = report.index(" NONLINEARITY OF SOIL (WEAKENED ZONE)\n")
                    end = report.index("\n\n\n", report.index("\n\n", start) + 2) + 3
                    report = report[:start] + report[end:]
                self.assertEqual(report, free_report)
                np.testing.assert_array_equal(a.amplitudes, b.amplitudes)

    def test_layout(self):
        from input_cases import cases
        text = cases()["pile-group"].text()
        lines = text.split("\n")
        self.assertEqual(lines[:5], ["TITLE=PILE GROUP", "MATRIX", "GRAVITY=9.81", "FOUNDATION=PILE",
                                     "RECTANGULAR=5,5"])
        self.assertIn("600 0.25 0.02 0 30000000", lines)         # static load .. modulus
        self.assertIn("1 150 18 0.4 0.05 1 0.4 0.1 0", lines)     # soil, ratio 1: not weakened
        run = lines.index("RUN ")
        self.assertEqual(lines[run + 1:run + 3], ["0", " 0.00000000000000E+0000  0.00000000000000E+0000  "
                                                       "1.00000000000000E+0000 "])
        path = cases()["disc"].save(os.path.join(self.dir, "disc.tvd"))
        with open(path, "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"TITLE=DISC ON A HALF-SPACE\r\nMATRIX\r\n"))
        self.assertNotIn(b"\r\r", data)
        # Values longer than a line the engine reads go on over further lines.
        wide = terva.Input("WIDE").circle(1.0).mass(123456.789, 1.2345678e-7, 2.3456789e-7, 3.4567891e-7,
                                                   -4.5678912e-7, 5.6789123e-7, -6.7891234e-7)
        text = wide.half_space(200, 18, 0.3, 0.05).harmonic(100, 10, 10).text()
        mass = text.split("\n")[text.split("\n").index("MASS ") + 1:][:2]
        self.assertTrue(all(len(line) <= 80 for line in mass))
        self.assertEqual(" ".join(mass).split(), ["123456.79", "1.2345678E-7", "2.3456789E-7", "3.4567891E-7",
                                                 "-4.5678912E-7", "5.6789123E-7", "-6.7891234E-7"])


class ExportFile(unittest.TestCase):
    COMMON = """"format": "terva-results", "project": "p.tvd", "report": "p.tvo", "graphic_data": "p.tvp",
      "title": "T1", "unit_system": "SI", "foundation": {"code": 1, "name": "HALF-SPACE"},
      "load": {"code": 1, "name": "harmonic"}, "units": {"frequency": "Hz"},
      "frequency_hz": [1.0, 2.0], "frequency_rad_s": [6.28, 12.56],
      "stiffness": {"Kxx": [1, 2], "Kyy": [1, 2], "Kww": [3, 4], "Kppx": [5, 6], "Kppy": [5, 6],
                    "Kzt": [7, 8], "Kxp": [0, 0], "Kyp": [0, 0]},
      "damping": {"Cxx": [1, 1], "Cyy": [1, 1], "Cww": [2, 2], "Cppx": [3, 3], "Cppy": [3, 3],
                  "Czt": [4, 4], "Cxp": [0, 0], "Cyp": [0, 0]}"""
    SIX = '{"UOX": [0, 0], "UOY": [0, 0], "UOZ": [%s, %s], "EPOX": [0, 0], "EPOY": [0, 0], "EPOZ": [0, 0]}'

    def test_both_versions_of_the_export(self):
        v1 = json.loads("{" + self.COMMON + """, "version": 1, "response": {"frequency_hz": [1.0, 2.0],
          "frequency_rad_s": [6.28, 12.56], "amplitudes": {"ux": [0, 0], "uy": [0, 0], "uz": [1e-5, 2e-5],
          "rx": [0, 0], "ry": [0, 0], "rz": [0, 0]}}}""")
        v2 = json.loads("{" + self.COMMON + """, "version": 2, "results_file": "p.tvj", "precision": "single",
          "response": {"amplitudes": %s, "real": %s, "imag": %s}}""" % (
            self.SIX % (1e-5, 2e-5), self.SIX % (0.6e-5, 0), self.SIX % (-0.8e-5, 2e-5)))
        for version, data in ((1, v1), (2, v2)):
            with self.subTest(version=version):
                r = terva.Result(data)
                np.testing.assert_array_equal(r.K[:, 2], [3, 4])
                np.testing.assert_array_equal(r.C[:, 5], [4, 4])
                np.testing.assert_array_equal(r.amplitudes[:, 2], [1e-5, 2e-5])
                np.testing.assert_array_equal(r.frequency_hz, [1.0, 2.0])
                np.testing.assert_array_equal(r.response_frequency_rad_s, [6.28, 12.56])
        self.assertEqual(terva.Result(v1).amplitude_names, ["ux", "uy", "uz", "rx", "ry", "rz"])
        self.assertEqual(terva.Result(v1).precision, "graphic data (3 to 5 digits)")
        self.assertIsNone(terva.Result(v1).motions)
        np.testing.assert_allclose(np.abs(terva.Result(v2).motions[:, 2]), [1e-5, 2e-5])



class CalcReport(Folder):
    def setUp(self):
        super().setUp()
        # The report draws with Qt, which keeps allocations to the end: the
        # sanitiser build checks it without its leak check, as the program.
        self.asan = os.environ.get("ASAN_OPTIONS")
        os.environ["ASAN_OPTIONS"] = (self.asan + ":" if self.asan else "") + "detect_leaks=0"

    def tearDown(self):
        if self.asan is None:
            os.environ.pop("ASAN_OPTIONS", None)
        else:
            os.environ["ASAN_OPTIONS"] = self.asan
        super().tearDown()

    def test_the_report_of_a_result_as_pdf_and_html(self):
        import xml.etree.ElementTree as ET
        project = os.path.join(self.dir, "pile-group-4.tvd")
        shutil.copy(os.path.join(EXAMPLES, "projects", "pile-group-4.tvd"), project)
        result = terva.run(project)
        pdf = os.path.join(self.dir, "out", "pile group.pdf")
        os.makedirs(os.path.dirname(pdf))
        verdicts = result.report(pdf, at="1260rpm", paper="letter")
        with open(pdf, "rb") as f:
            self.assertEqual(f.read(5), b"%PDF-")
        self.assertFalse(os.path.exists(project[:-4] + ".report.pdf"))  # moved where asked
        self.assertTrue(any(v.startswith("(a) frequency separation at 21 Hz: ") for v in verdicts), verdicts)
        self.assertTrue(any(v.startswith("(c) warnings at 21 Hz: ") for v in verdicts), verdicts)
        self.assertTrue(all(v[:3] in ("(a)", "(b)", "(c)") for v in verdicts), verdicts)
        html = os.path.join(self.dir, "report.html")
        result.report(html, at=131.88)
        root = ET.parse(html).getroot()
        self.assertTrue(root.tag.endswith("html"))
        self.assertIn("Turbine pedestal on four piles", open(html, encoding="utf-8").read())

    def test_a_report_needs_its_project(self):
        project = os.path.join(self.dir, "gone.tvd")
        shutil.copy(os.path.join(EXAMPLES, "projects", "pile-group-4.tvd"), project)
        result = terva.run(project)
        os.remove(project)
        with self.assertRaises(terva.TervaError):
            result.report(os.path.join(self.dir, "r.pdf"))
        self.assertFalse(os.path.exists(os.path.join(self.dir, "r.pdf")))


class Version(Folder):
    def test_the_project_version(self):
        # the build's version (TERVA_VERSION, set by the test's definition);
        # from the source tree, read from the top CMakeLists.txt
        expected = os.environ.get("TERVA_VERSION")
        if not expected:
            self.skipTest("TERVA_VERSION is not set")
        self.assertEqual(terva.__version__, expected)

    def test_project_lines(self):
        cases = {
            "cmake_minimum_required(VERSION 3.22)\nproject(TERVA VERSION 4.1.12 LANGUAGES CXX)\n": "4.1.12",
            "project( TERVA VERSION 3.0 )\n": "3.0",
            "# project(TERVA VERSION 9.9.9)\nproject(TERVA LANGUAGES CXX)\n": "unknown",
            "project(OTHER VERSION 1.2.3)\n": "unknown",
        }
        for text, version in cases.items():
            with self.subTest(text=text):
                path = os.path.join(self.dir, "CMakeLists.txt")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
                self.assertEqual(terva._source_version(path), version)
        self.assertEqual(terva._source_version(os.path.join(self.dir, "missing.txt")), "unknown")


if __name__ == "__main__":
    unittest.main()
