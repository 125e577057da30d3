"""Builds the Python package terva (see pyproject.toml).

Its version is the project's: the one in the top CMakeLists.txt's
project(TERVA VERSION x.y.z) line, or, in a source archive, which carries no
CMakeLists.txt, the terva/_version.py written into it.  The wheel and the
archive get terva/_version.py with that version; the source tree gets none.

Where nothing else is asked for, the build's working folders (build/ and
terva.egg-info) go to a temporary folder removed at the end, so that a build
leaves the source tree as it was and two builds at once do not share them.
"""
import atexit
import os
import re
import shutil
import tempfile

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.command.sdist import sdist

HERE = os.path.dirname(os.path.abspath(__file__))
VERSION_FILE = os.path.join("terva", "_version.py")


def _from_cmake(path):
    try:
        with open(path, encoding="utf-8") as f:
            found = re.search(r"^\s*project\(\s*TERVA\s+VERSION\s+([0-9]+(?:\.[0-9]+)*)", f.read(), re.M | re.I)
    except OSError:
        return None
    return found.group(1) if found else None


def _from_version_file(path):
    try:
        with open(path, encoding="utf-8") as f:
            found = re.search(r"^__version__\s*=\s*[\"']([^\"']+)[\"']", f.read(), re.M)
    except OSError:
        return None
    return found.group(1) if found else None


def project_version():
    version = _from_cmake(os.path.join(HERE, "..", "CMakeLists.txt")) or \
        _from_version_file(os.path.join(HERE, VERSION_FILE))
    if not version:
        raise SystemExit("terva: no version: neither ../CMakeLists.txt with project(TERVA VERSION x.y.z) "
                         f"nor {VERSION_FILE} is there")
    return version


VERSION = project_version()


def _write_version(folder):
    path = os.path.join(folder, VERSION_FILE)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.islink(path) or os.path.exists(path):
        os.remove(path)  # a hard link to the source tree's file is not written through
    with open(path, "w", encoding="utf-8") as f:
        f.write(f'__version__ = "{VERSION}"\n')


class BuildPy(build_py):
    """Puts terva/_version.py into the built package."""

    def run(self):
        super().run()
        if not self.dry_run:
            _write_version(self.build_lib)

    def get_outputs(self, include_bytecode=1):
        outputs = super().get_outputs(include_bytecode)
        written = os.path.join(self.build_lib, VERSION_FILE)
        return outputs if written in outputs else outputs + [written]


class Sdist(sdist):
    """Puts terva/_version.py into the source archive."""

    def make_release_tree(self, base_dir, files):
        super().make_release_tree(base_dir, files)
        _write_version(base_dir)


def _working_folders():
    folder = tempfile.mkdtemp(prefix="terva-build-")
    atexit.register(shutil.rmtree, folder, True)
    return {"build": {"build_base": os.path.join(folder, "build")},
            "egg_info": {"egg_base": folder}}


setup(version=VERSION, cmdclass={"build_py": BuildPy, "sdist": Sdist}, options=_working_folders())
