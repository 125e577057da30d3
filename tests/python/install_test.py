#!/usr/bin/env python3
"""The package as Python users install it: `pip install ./python` into a
virtual environment that sees Debian's packages, without a network, then
`import terva` and `python -m terva` from another folder.

Everything happens in a temporary folder of its own, from a copy of python/,
so that runs at once never share a build folder.  Exit code 77 (skipped)
when venv, ensurepip, setuptools or wheel is missing."""
import glob
import importlib.util
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))


def _missing():
    """Why this interpreter cannot make the environment, or None."""
    for module, package in (("venv", "python3-venv"), ("ensurepip", "python3-venv"),
                            ("setuptools", "python3-setuptools"), ("wheel", "python3-wheel"),
                            ("numpy", "python3-numpy")):
        if importlib.util.find_spec(module) is None:
            return f"{sys.executable} has no {module} (Debian: apt-get install {package})"
    return None


def _project_version():
    version = os.environ.get("TERVA_VERSION")
    if version:
        return version
    with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"^\s*project\(\s*TERVA\s+VERSION\s+([0-9.]+)", f.read(), re.M).group(1)


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.version = _project_version()
        cls.top = tempfile.mkdtemp(prefix="terva-install-test-")
        top = cls.top
        cls.tmp = os.path.join(top, "tmp")  # pip's and the build's temporary folders
        os.makedirs(cls.tmp)
        # the source as a checkout has it: python/ beside the top CMakeLists.txt
        cls.src = os.path.join(top, "src", "python")
        shutil.copytree(os.path.join(SOURCE, "python"), cls.src,
                        ignore=shutil.ignore_patterns("build", "*.egg-info", "__pycache__", "_version.py"))
        shutil.copy(os.path.join(SOURCE, "CMakeLists.txt"), os.path.join(top, "src"))
        cls.src_files = cls._files(cls.src)

        env = {k: v for k, v in os.environ.items()
               if not k.startswith("PIP_") and k not in ("PYTHONPATH", "PYTHONHOME", "VIRTUAL_ENV")}
        env.update(PIP_NO_INDEX="1", PIP_CONFIG_FILE=os.devnull, PIP_DISABLE_PIP_VERSION_CHECK="1",
                   PIP_CACHE_DIR=os.path.join(top, "cache"), TMPDIR=cls.tmp,
                   XDG_DATA_HOME=os.path.join(top, "data"), XDG_CONFIG_HOME=os.path.join(top, "config"),
                   PYTHONDONTWRITEBYTECODE="1")
        cls.env = env
        cls.venv = os.path.join(top, "venv")
        cls.python = os.path.join(cls.venv, "bin", "python")
        cls.pip = [cls.python, "-m", "pip"]
        cls.run_checked([sys.executable, "-m", "venv", "--system-site-packages", cls.venv])
        cls.installed = cls.run_checked(cls.pip + ["install", cls.src])
        cls.work = os.path.join(top, "work")  # another folder: the source is not beside it
        os.makedirs(cls.work)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.top, ignore_errors=True)

    @staticmethod
    def _files(folder):
        return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, fs in os.walk(folder) for f in fs)

    @classmethod
    def run_checked(cls, command, cwd=None):
        done = subprocess.run(command, cwd=cwd or cls.top, env=cls.env, capture_output=True, text=True,
                              timeout=600)
        if done.returncode != 0:
            raise AssertionError(f"{' '.join(command)} exited with {done.returncode}:\n{done.stdout}{done.stderr}")
        return done

    def terva(self, *arguments):
        return subprocess.run([self.python, "-m", "terva", *arguments], cwd=self.work, env=self.env,
                              capture_output=True, text=True, timeout=600)

    def test_installed_package_has_the_project_version(self):
        done = self.run_checked([self.python, "-c",
                                 "import importlib.metadata as m, terva; print(terva.__version__); "
                                 "print(m.version('terva')); print(terva.__file__); "
                                 "print('\\n'.join(m.requires('terva')))"], cwd=self.work)
        version, metadata_version, where, *requires = done.stdout.splitlines()
        self.assertEqual(version, self.version)
        self.assertEqual(metadata_version, self.version)
        self.assertTrue(where.startswith(self.venv + os.sep), where)
        self.assertIn("numpy", requires)
        self.assertTrue(any(r.startswith("xarray") and "study" in r for r in requires), requires)
        self.assertTrue(any(r.startswith("distributed") and "cluster" in r for r in requires), requires)
        # numpy is Debian's: nothing was fetched (there is no index to fetch from)
        self.assertRegex(self.installed.stdout, r"Requirement already satisfied: numpy in /usr/")
        self.assertEqual(self.terva("--version").stdout.strip(), f"terva {self.version}")

    def test_build_leaves_no_files_behind(self):
        self.assertEqual(self._files(self.src), self.src_files)
        self.assertEqual(glob.glob(os.path.join(self.tmp, "terva-build-*")), [])

    def test_extras_are_satisfied_by_debian(self):
        absent = [m for m in ("xarray", "tqdm", "distributed") if importlib.util.find_spec(m) is None]
        if absent:
            self.skipTest(f"not installed: {', '.join(absent)}")
        done = self.run_checked(self.pip + ["install", "terva[study,cluster]"])
        self.assertNotIn("Collecting", done.stdout)

    def test_source_archive_carries_the_version(self):
        # an archive has no CMakeLists.txt beside it: the version is the one written into it
        out = os.path.join(self.top, "sdist")
        self.run_checked([self.python, "-c", "import sys; sys.path.insert(0, '_backend'); import terva_backend; "
                          f"terva_backend.build_sdist({out!r})"], cwd=self.src)
        self.assertEqual(self._files(self.src), self.src_files)
        (archive,) = glob.glob(os.path.join(out, "*.tar.gz"))
        self.assertEqual(os.path.basename(archive), f"terva-{self.version}.tar.gz")
        with tarfile.open(archive) as t:
            names = t.getnames()
            text = t.extractfile(f"terva-{self.version}/terva/_version.py").read().decode()
        self.assertEqual(text, f'__version__ = "{self.version}"\n')
        self.assertIn(f"terva-{self.version}/_backend/terva_backend.py", names)
        wheels = os.path.join(self.top, "wheels")
        self.run_checked(self.pip + ["wheel", "--no-deps", "-w", wheels, archive])
        (wheel,) = glob.glob(os.path.join(wheels, "*.whl"))
        self.assertEqual(os.path.basename(wheel), f"terva-{self.version}-py3-none-any.whl")
        with zipfile.ZipFile(wheel) as z:
            self.assertEqual(z.read("terva/_version.py").decode(), f'__version__ = "{self.version}"\n')

    def _project(self, name, text=None):
        path = os.path.join(self.work, name)
        if text is None:
            shutil.copy(os.path.join(os.environ["TERVA_EXAMPLES"], name), path)
        else:
            with open(path, "w", encoding="latin-1") as f:
                f.write(text)
        return path

    @unittest.skipUnless(os.environ.get("TERVA_BATCH") and os.environ.get("TERVA_EXAMPLES"),
                         "TERVA_BATCH and TERVA_EXAMPLES are not set")
    def test_command_line(self):
        project = self._project("half-space.tvd")
        done = self.terva(project, "-j", "1")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        lines = done.stdout.splitlines()
        self.assertEqual(lines[:5], [
            project,
            "  engine returned 0: analysis completed",
            f"  report: {project[:-4]}.tvo",
            "  frequencies: 30, 10 to 300 rad/s (1.59236 to 47.7707 Hz)",
            "  precision: single"])
        # the vertical force moves the block up and down only: the peak is the
        # largest vertical amplitude of the report, at the lowest frequency
        with open(project[:-4] + ".tvo", encoding="latin-1") as f:
            table = f.read()
        rows = re.findall(r"^\s+([0-9.]+)\s+([0-9.]+)" + r"\s+([0-9.]+E[-+][0-9]+)" * 6 + r"\s*$", table, re.M)
        self.assertEqual(len(rows), 30)
        peak = max(rows, key=lambda row: float(row[4]))
        uoz = next(line for line in lines if line.lstrip().startswith("UOZ"))
        self.assertRegex(uoz, rf"^\s+UOZ\s+{re.escape(peak[4])} ft\s+at {float(peak[1]):g} rad/s \(")
        for motion in ("UOX", "UOY", "EPOX", "EPOY", "EPOZ"):
            self.assertIn("(no motion at any frequency)", next(l for l in lines if l.lstrip().startswith(motion)))
        self.assertEqual(lines[-1], "summary: 1 project, 1 analysed, 0 failed")

        # a refused project and a missing one fail on their own, in the order given
        refused = self._project("refused.tvd", "TITLE\nREFUSED\nFOUNDATION=NOWHERE\nRUN\n")
        done = self.terva(refused, project, os.path.join(self.work, "missing.tvd"))
        self.assertEqual(done.returncode, 1, done.stdout + done.stderr)
        out = done.stdout
        self.assertRegex(out, r"^" + re.escape(refused) + r"\n  engine returned 3: fatal input error")
        self.assertIn("FATAL ERROR IN INPUT DATA", out)
        self.assertLess(out.index("FATAL ERROR"), out.index(project + "\n  engine returned 0"))
        self.assertIn("missing.tvd: no such project file", out)
        self.assertTrue(out.endswith("summary: 3 projects, 1 analysed, 2 failed\n"), out)

        self.assertEqual(self.terva(project, "-j", "0").returncode, 2)


if __name__ == "__main__":
    why = _missing()
    if why:
        print(f"skipped: {why}")
        sys.exit(77)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
