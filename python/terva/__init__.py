"""TERVA from Python: run the analysis engine and read its results as numpy arrays.

    import terva
    r = terva.run("examples/half-space.tvd")      # a project path, or the input text itself
    r.frequency_hz, r.stiffness["Kww"], r.amplitudes[:, 2]

``run`` starts ``terva-batch --export json`` (each run its own process: the
engine is not re-entrant), ``run_many`` runs several projects at once through
``terva-batch -j N``, ``load`` reads the results already beside a project, and
``Input`` writes an input text for the common cases (a footing on a half-space
or a stratum, a pile group).  The program is found through the environment
variable TERVA_BATCH, beside the package (an install or the build tree) or on
PATH.  Engine errors raise ``TervaError`` carrying the report's error lines.

The arrays are the engine's single-precision floats, read from its results
file NAME.tvj (``Result.precision`` "single"); older results without that
file carry the graphic data file's 3 significant digits (5 for the response)
and say so (``precision``, ``note``, a ``PrecisionWarning``).  Hz are
rad/s * 0.5 / 3.14 in single precision, the report's rule.  Numbers do not
depend on the locale.
"""

try:
    import numpy  # noqa: F401
except ImportError as e:  # pragma: no cover
    raise ImportError("the terva package needs numpy (Debian: apt-get install python3-numpy)") from e

from ._run import PrecisionWarning, Result, TervaError, Text, find_batch, load, run, run_many, run_text
from ._input import Input
from ._study import motion, sweep

__all__ = ["Input", "PrecisionWarning", "Result", "TervaError", "Text", "find_batch", "load", "run", "run_many",
           "run_text", "motion", "sweep"]


def _source_version(cmake_lists=None):
    """The version of a source tree: the one in its top CMakeLists.txt's
    project() line; "unknown" when there is none."""
    import os
    import re

    if cmake_lists is None:
        cmake_lists = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "CMakeLists.txt")
    try:
        with open(cmake_lists, encoding="utf-8") as f:
            found = re.search(r"^\s*project\(\s*TERVA\s+VERSION\s+([0-9]+(?:\.[0-9]+)*)", f.read(), re.M | re.I)
    except OSError:
        found = None
    return found.group(1) if found else "unknown"


try:  # an installed package: written by the build from the same line
    from ._version import __version__
except ImportError:
    __version__ = _source_version()
