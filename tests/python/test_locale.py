"""Results that do not depend on the user's locale: the bundled examples and an
input written by terva.Input, run through the package in a process whose
locale has a decimal comma (de_DE, fr_FR, built by the test itself with
localedef) and that has switched to it, give the report (but for the run's
date and time), the graphic data file, the results file and every array of
a run under the C locale."""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import numpy as np

EXAMPLES = os.path.abspath(os.environ.get("TERVA_EXAMPLES") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples"))
PACKAGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python")
LOCALES = ("de_DE", "fr_FR")

# Runs in the child: switches to the environment's locale as a program would,
# runs every project of a folder and an Input, and saves the arrays.
CHILD = r"""
import locale, os, sys
import numpy as np
locale.setlocale(locale.LC_ALL, "")
print("decimal point", locale.localeconv()["decimal_point"])
import terva
folder = sys.argv[1]
inp = (terva.Input("BLOCK", units="English").rectangle(20.5, 10.25).mass(400.5, 15000.25, 20000.75, 30000.5)
       .half_space(800.5, 120.25, 0.333, 0.05, cg_height=3.5, side_layers=[(2.5, 600.5, 110.5, 0.35, 0.05)])
       .harmonic(300.5, 10.5, 10.0, force=(1000.5, 0, 1000.25, 0, 0, 0)))
with open(os.path.join(folder, "input.tvd"), "w") as f:
    f.write(inp.text())
arrays = {}
names = sorted(n for n in os.listdir(folder) if n.endswith(".tvd"))
for name, r in zip(names, terva.run_many([os.path.join(folder, n) for n in names], jobs=2)):
    for key in ("frequency_rad_s", "frequency_hz", "K", "C", "amplitudes", "motions", "time",
                "displacements", "spectrum", "peak_factor", "max_displacement"):
        value = getattr(r, key)
        if value is not None:
            arrays[name + ":" + key] = value
    arrays[name + ":precision"] = np.array(r.precision)
np.savez(os.path.join(folder, "arrays.npz"), **arrays)
"""

_DATE = re.compile(r"(RUN DATE|TIME) +-.*")


def masked_report(path):
    with open(path, "rb") as f:
        return _DATE.sub("(masked)", f.read().decode("latin-1"))


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class CommaLocale(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="terva-py-locale-")
        cls.locpath = os.path.join(cls.dir, "locales")
        os.makedirs(cls.locpath)
        if shutil.which("localedef") is None:
            raise unittest.SkipTest("localedef is not installed (Debian: libc-bin): no comma locale to test")
        for name in LOCALES:
            if not os.path.isfile(os.path.join("/usr/share/i18n/locales", name)):
                raise unittest.SkipTest(f"/usr/share/i18n/locales/{name} is missing (Debian: locales)")
            # localedef may warn (exit status 1) and still write the locale: its folder decides
            subprocess.run(["localedef", "-i", name, "-f", "UTF-8", os.path.join(cls.locpath, name + ".UTF-8")],
                           capture_output=True, timeout=120)
            if not os.path.isdir(os.path.join(cls.locpath, name + ".UTF-8")):
                raise AssertionError(f"localedef could not build {name}.UTF-8")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    def run_in(self, locale_name):
        """Runs the examples and the Input under LC_ALL=locale_name in a folder of their own."""
        folder = os.path.join(self.dir, locale_name)
        os.makedirs(os.path.join(folder, "tmp"))
        for path in glob.glob(os.path.join(EXAMPLES, "*.tvd")):
            shutil.copy(path, folder)
        env = dict(os.environ, LC_ALL=locale_name, LOCPATH=self.locpath, TMPDIR=os.path.join(folder, "tmp"),
                   XDG_DATA_HOME=os.path.join(folder, "data"), XDG_CONFIG_HOME=os.path.join(folder, "config"),
                   PYTHONPATH=os.path.abspath(PACKAGE), PYTHONWARNINGS="error::UserWarning")
        env.pop("LANGUAGE", None)
        done = subprocess.run([sys.executable, "-c", CHILD, folder], env=env, capture_output=True, text=True,
                              timeout=300)
        self.assertEqual(done.returncode, 0, done.stderr)
        return folder, done.stdout

    def test_a_comma_locale_gives_the_c_locales_results(self):
        reference, said = self.run_in("C")
        self.assertIn("decimal point .", said)
        names = sorted(os.path.splitext(os.path.basename(p))[0] for p in glob.glob(os.path.join(reference, "*.tvd")))
        self.assertGreaterEqual(len(names), 7)
        with np.load(os.path.join(reference, "arrays.npz")) as npz:
            want = dict(npz)
        self.assertEqual({str(want[n + ".tvd:precision"]) for n in names}, {"single"})
        for name in LOCALES:
            with self.subTest(locale=name):
                folder, said = self.run_in(name + ".UTF-8")
                self.assertIn("decimal point ,", said)  # else this test proves nothing
                for n in names:
                    self.assertEqual(read_bytes(os.path.join(folder, n + ".tvd")),
                                     read_bytes(os.path.join(reference, n + ".tvd")), n)
                    self.assertEqual(masked_report(os.path.join(folder, n + ".tvo")),
                                     masked_report(os.path.join(reference, n + ".tvo")), n)
                    for suffix in (".tvp", ".tvj", ".results.json"):
                        self.assertEqual(read_bytes(os.path.join(folder, n + suffix)).replace(folder.encode(), b""),
                                         read_bytes(os.path.join(reference, n + suffix)).replace(
                                             reference.encode(), b""), n + suffix)
                with np.load(os.path.join(folder, "arrays.npz")) as npz:
                    got = dict(npz)
                self.assertEqual(sorted(got), sorted(want))
                for key in want:
                    np.testing.assert_array_equal(got[key], want[key], err_msg=key)


if __name__ == "__main__":
    unittest.main()
