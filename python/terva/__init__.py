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

from ._run import PrecisionWarning, Result, TervaError, find_batch, load, run, run_many
from ._input import Input

__all__ = ["Input", "PrecisionWarning", "Result", "TervaError", "find_batch", "load", "run", "run_many"]
__version__ = "1.0"
