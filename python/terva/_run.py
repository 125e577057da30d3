"""Running the engine through terva-batch and reading what it exported."""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import warnings
import weakref

import numpy as np

from . import _report, _tvj, _tvp

STIFFNESS = _tvp.STIFFNESS
DAMPING = _tvp.DAMPING
DOF = _tvj.DOF
_PROJECT_NAME = "project.tvd"  # the file name of an input given as text


class TervaError(RuntimeError):
    """A run that did not deliver results: the engine refused the input, stopped,
    failed at some frequencies, or terva-batch could not run it.

    ``lines`` holds the report's error lines (or terva-batch's messages when no
    report was written), ``code`` the engine's return code (None when unknown),
    ``report`` the report's path, ``project`` the project."""

    def __init__(self, message, lines=(), code=None, report=None, project=None):
        self.message = message
        self.lines = list(lines)
        self.code = code
        self.report = report
        self.project = project
        text = message + "".join("\n  " + line for line in self.lines)
        super().__init__(text)

    def __reduce__(self):
        # Sent back from a worker process or machine: every attribute travels
        # (an exception pickles only its message otherwise).
        state = {k: v for k, v in self.__dict__.items()
                 if k not in ("message", "lines", "code", "report", "project")}
        return (type(self), (self.message, self.lines, self.code, self.report, self.project), state)


class Text(str):
    """An input text, told apart from a path: ``terva.run(terva.Text(text))`` (or
    ``terva.run_text(text)``) writes it to a temporary folder of its own and runs it
    there.  A plain string is always a project's path."""


def _constant_units(system):
    """The units of the frequencies and constants in a unit system, as the
    program's exports write them (for results read without an export)."""
    if system not in ("English", "SI"):
        return {}
    force, length = ("lb", "ft") if system == "English" else ("kN", "m")
    units = {"frequency_hz": "Hz", "frequency_rad_s": "rad/s"}
    for name, unit in (("xx", f"{force}/{length}"), ("yy", f"{force}/{length}"), ("ww", f"{force}/{length}"),
                       ("ppx", f"{force}-{length}/rad"), ("ppy", f"{force}-{length}/rad"),
                       ("zt", f"{force}-{length}/rad"), ("xp", f"{force}/rad"), ("yp", f"{force}/rad")):
        units["K" + name] = unit
        units["C" + name] = unit.replace("/", "-s/", 1)
    return units


def _hz(rad_s):
    """Hz by the report's rule: rad/s * 0.5 / 3.14 in single precision (the engine's
    6.28 for 2 pi), the same in every output of TERVA."""
    w = np.asarray(rad_s, dtype=np.float32)
    return (w * np.float32(0.5) / np.float32(3.14)).astype(float)


SINGLE = "single"
GRAPHIC = "graphic data (3 to 5 digits)"


class PrecisionWarning(UserWarning):
    """Results read without the engine's results file (.tvj): the graphic data
    file's three significant digits (five for the response amplitudes)."""


def _columns(block, n):
    """An export's {name: list} block as an (n, 6) array, in its key order."""
    return np.column_stack([np.asarray(v, dtype=float) for v in block.values()]).reshape(n, -1)


class _ReportPath(str):
    """The path of a run's report (.tvo), a string as before; called as
    ``result.report("calc.pdf", at="1500rpm")`` it writes the calculation report
    (``Result.write_report``)."""

    def __new__(cls, path, result):
        text = super().__new__(cls, path)
        text._result = weakref.ref(result)
        return text

    def __call__(self, path, at=None, paper=None, timeout=None):
        result = self._result()
        if result is None:
            raise TervaError("the result of this report is gone")
        return result.write_report(path, at=at, paper=paper, timeout=timeout)

    def __reduce__(self):  # pickles, copies and JSON see the plain path
        return (str, (str(self),))


class Result:
    """One analysis's results.

    Attributes: ``title``, ``unit_system`` ("English" or "SI"), ``foundation``
    and ``load`` (dicts with "code" and "name"), ``units`` (quantity -> unit
    text), ``project``, ``report``, ``graphic_data`` and ``results_file``
    (paths; ``results_file`` None when the run's .tvj was not used);
    ``precision``: "single" when the numbers come from the engine's results
    file (.tvj: every value the engine's float exactly), or "graphic data (3 to
    5 digits)" for older results without it, which ``note`` then explains;
    ``frequency_rad_s`` and ``frequency_hz`` (Hz = rad/s * 0.5 / 3.14 in single
    precision, the report's rule), ``stiffness`` and ``damping`` (dicts of
    arrays, keys Kxx Kyy Kww Kppx Kppy Kzt Kxp Kyp and Cxx ... Cyp: the
    constants at the centre of gravity; from the results file with or without
    MATRIX, from older results only with MATRIX, else None), ``K`` and ``C``
    (the same as (N, 8) arrays in that order, or None); for harmonic loads
    ``response_frequency_hz``, ``response_frequency_rad_s``, ``amplitudes``
    ((N, 6): UOX UOY UOZ EPOX EPOY EPOZ) and ``motions`` ((N, 6) complex: the
    motions of the centre of gravity whose moduli are the amplitudes, a load
    F cos wt giving u = Re(U e^{iwt}); results file only); for transient loads
    ``time`` and ``displacements`` ((Nt, 6)) and ``spectrum`` ((N, 6) complex,
    the response spectra at ``frequency_rad_s``; results file only); for random
    loads ``peak_factor``, ``max_displacement`` ((6,), NaN where not defined),
    ``spectrum`` ((N, 6), the response spectra), ``spectrum_frequency_rad_s``,
    ``spectrum_translation_x`` (UOX) and ``spectrum_rotation_y`` (EPOY).
    ``report`` is also callable: ``result.report("calc.pdf", at="1500rpm")`` writes the
    calculation report (``write_report``).  Arrays absent for a run are None.  Without the
    results file the transient and random tables are read from the report's printed digits.

    For an input given as text (or a ``terva.Input``) the files lie in a temporary folder
    that is removed when the result is collected: copy the report to keep it.  Such a
    result pickled (sent back from a worker of ``run_many``'s executor) keeps its arrays
    and names no files."""

    def __init__(self, data, report_text="", engine=None, note=None):
        self.data = data
        self.title = data.get("title", "")
        self.unit_system = data.get("unit_system", "")
        self.foundation = data.get("foundation", {})
        self.load = data.get("load", {})
        self.units = data.get("units") or _constant_units(self.unit_system)
        self.project = data.get("project")
        self.report = _ReportPath(data["report"], self) if data.get("report") else None
        self.graphic_data = data.get("graphic_data")
        self.results_file = data.get("results_file") if engine is not None else None
        self.precision = SINGLE if engine is not None else data.get("precision") or GRAPHIC
        self.note = note
        if self.precision != SINGLE:
            self.note = ((note + "; " if note else "no results file of this run: ") +
                         "the numbers carry the graphic data file's 3 significant digits "
                         "(5 for the response amplitudes)")
        self.response_frequency_rad_s = self.response_frequency_hz = self.amplitudes = None
        self.amplitude_names = self.motions = self.spectrum = None
        self.time = self.displacements = None
        self.peak_factor = self.max_displacement = None
        self.spectrum_frequency_rad_s = self.spectrum_translation_x = self.spectrum_rotation_y = None
        if engine is not None:
            self._from_engine(engine)
        else:
            self._from_export(data, report_text)
        self.frequency_hz = _hz(self.frequency_rad_s)
        if self.response_frequency_rad_s is not None:
            self.response_frequency_hz = _hz(self.response_frequency_rad_s)
        self.stiffness = self.stiffness or None
        self.damping = self.damping or None
        self.K = np.column_stack([self.stiffness[k] for k in STIFFNESS]) if self.stiffness else None
        self.C = np.column_stack([self.damping[k] for k in DAMPING]) if self.damping else None
        self._folder = None  # a temporary folder that lives as long as this result

    def __getstate__(self):
        # A result pickled (sent back from a worker, or kept) keeps its arrays; the
        # files of an input text lie in a temporary folder that goes with the
        # result here, so the copy names none of them.
        state = dict(self.__dict__)
        if state.get("report") is not None:
            state["report"] = str(state["report"])
        if state.get("_folder"):
            for key in ("project", "report", "graphic_data", "results_file"):
                state[key] = None
            state["data"] = {k: v for k, v in state["data"].items()
                             if k not in ("project", "report", "graphic_data", "results_file")}
            state["_folder"] = None
        return state

    def __setstate__(self, state):
        self.__dict__.update(state)
        if self.report is not None:
            self.report = _ReportPath(self.report, self)

    def _detached(self):
        """This result as it travels, its temporary folder (an input's) removed now."""
        folder = self._folder
        copy = Result.__new__(Result)
        copy.__setstate__(self.__getstate__())
        if folder:
            shutil.rmtree(folder, ignore_errors=True)
        return copy

    def _from_engine(self, e):
        self.frequency_rad_s = e["omega"]
        self.stiffness, self.damping = dict(e["stiffness"]), dict(e["damping"])
        if "amplitudes" in e:
            self.response_frequency_rad_s = e["omega"]
            self.amplitude_names = list(DOF)
            self.amplitudes, self.motions = e["amplitudes"], e["motions"]
        if "history" in e:
            self.time, self.displacements, self.spectrum = e["time"], e["history"], e["spectrum"]
        if "peak_factor" in e:
            self.peak_factor, self.max_displacement, self.spectrum = e["peak_factor"], e["maximum"], e["spectrum"]
            self.spectrum_frequency_rad_s = e["omega"]
            self.spectrum_translation_x, self.spectrum_rotation_y = e["spectrum"][:, 0], e["spectrum"][:, 4]

    def _from_export(self, data, report_text):
        """terva-batch's export (version 2: one frequency list; version 1: the
        response with its own), or what was read from the graphic data file."""
        self.frequency_rad_s = np.asarray(data.get("frequency_rad_s", []), dtype=float)
        self.stiffness = {k: np.asarray(v, dtype=float) for k, v in data.get("stiffness", {}).items()}
        self.damping = {k: np.asarray(v, dtype=float) for k, v in data.get("damping", {}).items()}
        response = data.get("response")
        if response:
            rad_s = response.get("frequency_rad_s", data.get("frequency_rad_s", []))
            self.response_frequency_rad_s = np.asarray(rad_s, dtype=float)
            n = len(self.response_frequency_rad_s)
            amplitudes = response["amplitudes"]
            if isinstance(amplitudes, dict):  # the export's named columns, in degree-of-freedom order
                self.amplitude_names = list(amplitudes)
                self.amplitudes = _columns(amplitudes, n)
            else:
                self.amplitude_names = list(DOF)
                self.amplitudes = np.asarray(amplitudes, dtype=float).reshape(-1, 6)
            if isinstance(response.get("real"), dict) and isinstance(response.get("imag"), dict):
                self.motions = _columns(response["real"], n) + 1j * _columns(response["imag"], n)
        load = str(self.load.get("name", "")).lower()
        if load == "transient":
            table = _report.transient(report_text)
            if table is not None:
                self.time, self.displacements = table["time"], table["displacements"]
        elif load == "random":
            table = _report.random(report_text)
            if table is not None:
                self.peak_factor = table["peak_factor"]
                self.max_displacement = table["max_displacement"]
                self.spectrum_frequency_rad_s = table.get("spectrum_frequency_rad_s")
                self.spectrum_translation_x = table.get("translation_x")
                self.spectrum_rotation_y = table.get("rotation_y")

    def report_constants(self):
        """The stiffness and damping constants as the report prints them, with six significant
        digits: two dicts keyed like ``stiffness`` and ``damping``.  Needs the report and the
        MATRIX option.  (``stiffness`` and ``damping`` from the results file are the floats the
        report rounds; from older results they carry three digits.)"""
        table = _report.constants(_read_text(self.report) if self.report else "")
        n = len(self.frequency_rad_s)
        stiffness = {k: np.asarray(table.get(k, []), dtype=float) for k in STIFFNESS}
        damping = {k: np.asarray(table.get(k, []), dtype=float) for k in DAMPING}
        if n == 0 or any(len(v) != n for v in list(stiffness.values()) + list(damping.values())):
            raise TervaError(f"{self.report}: the report does not hold the constants of {n} frequencies")
        return stiffness, damping

    def write_report(self, path, at=None, paper=None, timeout=None):
        """Writes the calculation report of this result's project to ``path``: a PDF, or one
        XHTML file when ``path`` ends in .html or .htm.  It is the report ``terva-batch --report``
        writes (the project is analysed again, to the same results): the input in tables, the
        foundation drawn to scale, the response plots, the springs and dashpots and the design
        checks at the operating frequency ``at`` ("1500rpm", "25Hz", or a number in rad/s;
        default: the one kept by the program's Calculation Report dialog, else the middle of the
        computed range), with the criteria kept there; ``paper`` is "a4" or "letter".

        Returns the checks' verdict lines as terva-batch prints them.  Raises TervaError when
        the project is gone (an input text's folder is removed with its result) or the report
        cannot be written."""
        project = self.project
        if not project or not os.path.isfile(project):
            raise TervaError(f"the project file {project!r} is gone: a report needs it", project=project)
        fmt = "html" if str(path).lower().endswith((".html", ".htm")) else "pdf"
        arguments = ["--report", fmt, "-j", "1"]
        if at is not None:
            arguments += ["--at", str(at)]
        if paper is not None:
            arguments += ["--paper", str(paper)]
        completed = _call(find_batch(), arguments + ["--", project], timeout)
        if completed.returncode != 0:
            lines = [line for line in completed.stderr.splitlines() if line.strip()]
            raise TervaError(f"{project}: no calculation report" + (f": {lines[0]}" if lines else ""),
                             lines=lines, code=completed.returncode, project=project)
        base, ext = os.path.splitext(project)
        written = (base if ext.lower() == ".tvd" else project) + ".report." + fmt
        if os.path.abspath(written) != os.path.abspath(path):
            shutil.move(written, path)
        lines = _block_of(completed.stdout, project).splitlines()
        start = next((i + 1 for i, line in enumerate(lines) if line.startswith("  calculation report: ")), len(lines))
        verdicts = []
        for line in lines[start:]:
            if not line.startswith("    "):
                break
            verdicts.append(line.strip())
        return verdicts

    def __repr__(self):
        return (f"<terva.Result {self.title!r}: {self.foundation.get('name', '')}, "
                f"{self.load.get('name', '')}, {len(self.frequency_rad_s)} frequencies, {self.precision}>")


def _candidates():
    here = os.path.dirname(os.path.abspath(__file__))
    up = here
    for _ in range(5):
        up = os.path.dirname(up)
        yield os.path.join(up, "bin", "terva-batch")
        yield os.path.join(up, "build", "bin", "terva-batch")


def find_batch():
    """The terva-batch program: TERVA_BATCH, then beside the package (an install
    prefix's bin/, or the build tree's build/bin/), then PATH."""
    named = os.environ.get("TERVA_BATCH")
    if named:
        if os.path.isfile(named) and os.access(named, os.X_OK):
            return named
        raise TervaError(f"TERVA_BATCH names {named!r}, which is not an executable program")
    for path in _candidates():
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
    found = shutil.which("terva-batch")
    if found:
        return found
    raise TervaError("terva-batch not found: set TERVA_BATCH, install TERVA or put terva-batch on PATH")


_legacy = {}  # terva-batch path -> True when it has no --export (an older build)


def _is_text(project):
    """An input text rather than a path: a terva.Text or a terva.Input; a plain
    string with a line break that names no file, as earlier versions read it,
    with a DeprecationWarning."""
    if isinstance(project, Text):
        return True
    if isinstance(project, str) and ("\n" in project or "\r" in project) and not os.path.isfile(project):
        warnings.warn("an input text given as a plain string: use terva.run_text(text) or terva.Text(text); "
                      "a plain string will be read as a path only", DeprecationWarning, stacklevel=4)
        return True
    return False


def _stat(path):
    try:
        s = os.stat(path)
        return (s.st_mtime_ns, s.st_ino, s.st_size)
    except OSError:
        return None


class _Job:
    """One project of a call: where it is, what its results' files were before."""

    def __init__(self, project):
        self.folder = None
        if hasattr(project, "text") and callable(project.text):  # a terva.Input
            project = Text(project.text())
        if _is_text(project):
            self.folder = tempfile.mkdtemp(prefix="terva-")
            self.path = os.path.join(self.folder, _PROJECT_NAME)
            with open(self.path, "w", encoding="latin-1", newline="\n") as f:
                f.write(project if project.endswith("\n") else project + "\n")
        else:
            self.path = os.path.abspath(os.fspath(project))
            if not os.path.isfile(self.path):
                raise TervaError(f"no such project file: {self.path}", project=self.path)
        stem = os.path.splitext(self.path)[0]
        self.report = stem + ".tvo"
        self.graphic = stem + ".tvp"
        self.json = stem + ".results.json"
        self.results_file = stem + ".tvj"
        self.failed = stem + ".failed.tvo"  # the report of a run that gave no results
        self.label = self.path  # how errors name the project: a temporary folder's input by its title
        if self.folder:
            title = _title_of(self.path)
            self.label = f"input {title!r}" if title else "input text"
        self.before = {p: _stat(p) for p in (self.report, self.graphic, self.json, self.results_file, self.failed)}

    def fresh(self, path):
        now = _stat(path)
        return now is not None and now != self.before[path]

    def discard(self):
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None


def _environment():
    """The child's environment: the user's, locale included (for its messages).
    terva-batch and the engine read and write numbers the same under any locale;
    LC_NUMERIC=C only adds to that where LC_ALL does not override it."""
    env = dict(os.environ)
    env["LC_NUMERIC"] = "C"
    return env


def _call(batch, arguments, timeout):
    """Runs terva-batch and waits for it.  On a timeout or Ctrl+C it is asked
    to stop (SIGTERM: it ends its engines, removes its working folders and
    keeps the previous results) and only killed when it does not end within
    a few seconds; the next start of any TERVA program removes what a kill left."""
    try:
        process = subprocess.Popen([batch] + arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True, errors="replace", env=_environment())
    except OSError as e:
        raise TervaError(f"cannot start {batch}: {e}") from None

    def stop():
        process.terminate()
        try:
            process.communicate(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()

    try:
        stdout, stderr = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        stop()
        raise TervaError(f"{batch} did not finish within {timeout:.3g} s; the previous results are kept") from None
    except BaseException:  # Ctrl+C and the like
        stop()
        raise
    return subprocess.CompletedProcess(process.args, process.returncode, stdout, stderr)


def _block_of(stdout, path):
    """terva-batch's lines for one project: those under the line that is its
    whole path (a path may hold blanks and even line breaks: the project's
    name, in every file name of its lines, is read as one token)."""
    stem = os.path.splitext(path)[0]
    token = "\x00"
    stdout = stdout.replace(stem, token)
    key, start = path.replace(stem, token, 1) + "\n", 0
    while True:
        i = stdout.find(key, start)
        if i < 0:
            return ""
        if i == 0 or stdout[i - 1] == "\n":
            break
        start = i + 1
    block = []
    for line in stdout[i + len(key):].split("\n"):
        if line.startswith("summary:") or (line and not line.startswith(" ")):
            break
        block.append(line + "\n")
    return "".join(block)


def _read_text(path):
    try:
        with open(path, "r", encoding="latin-1") as f:
            return f.read()
    except OSError:
        return ""


def _title_of(path):
    """The title of an input: after TITLE= on its line (the program's layout),
    else the next line (the engine's free layout)."""
    lines = _read_text(path).splitlines()
    for i, line in enumerate(lines):
        word = re.match(r"\s*(TITL\w*)\s*[=,]?\s*(.*)$", line, re.I)
        if word:
            if word.group(2).strip():
                return word.group(2).strip()
            return lines[i + 1].strip() if i + 1 < len(lines) else ""
    return ""


def _engine_results(results_file, graphic):
    """(the results file's arrays, None) when it belongs to the graphic data
    file's run, else (None, why)."""
    if not os.path.isfile(results_file):
        return None, None
    try:
        printed = _tvp.read(graphic)
        engine = _tvj.read(results_file)
    except (OSError, ValueError) as e:
        return None, f"the results file was not used: {e}"
    rad_s = printed.get("frequency_rad_s")
    if rad_s is None:
        rad_s = printed.get("response", {}).get("frequency_rad_s", [])
    if not _tvj.matches(engine, printed["count"], rad_s):
        return None, (f"{results_file} belongs to another run than {graphic} (other frequencies) "
                      f"and was not used")
    return engine, None


def _assemble(project, report_text, export, graphic_ok, results_ok, code=None):
    """The Result of a project's files: the export `export` (a path, or None to
    read the report and the graphic data file), the results file when
    `results_ok` and it belongs to the graphic data file."""
    stem = os.path.splitext(project)[0]
    report, graphic, results_file = stem + ".tvo", stem + ".tvp", stem + ".tvj"
    if export is not None:
        try:
            with open(export, "r", encoding="utf-8") as f:
                data = json.load(f)
        except (OSError, ValueError) as e:
            raise TervaError(f"{export}: cannot be read: {e}", [], code, report, project) from None
        if not isinstance(data, dict) or data.get("format") != "terva-results":
            raise TervaError(f"{export}: not a TERVA results file", [], code, report, project)
    else:
        # An older terva-batch, or a run whose graphic data file holds nothing to export: what
        # is there is read here.
        data = _report.header(report_text)
        data["title"] = _title_of(project)
        data.update({"project": project, "report": report, "graphic_data": graphic})
        if graphic_ok:
            try:
                data.update(_tvp.read(graphic))
            except (OSError, ValueError) as e:
                raise TervaError(f"{graphic}: cannot be read: {e}", [], code, report, project) from None
    engine, note = _engine_results(results_file, graphic) if results_ok and graphic_ok else (None, None)
    if engine is not None:
        data["results_file"] = results_file
    else:
        data["results_file"] = None  # the export may have read a file this run did not write
        data["precision"] = GRAPHIC
    result = Result(data, report_text, engine, note)
    if engine is None:
        warnings.warn(f"{project}: {result.note}", PrecisionWarning, stacklevel=2)
    return result


def load(project):
    """The results already beside a project (NAME.tvo, NAME.tvp and, when it
    belongs to them, NAME.tvj) without running the engine.  Results without a
    results file open with ``precision`` "graphic data (3 to 5 digits)" and a
    PrecisionWarning.  Raises TervaError when there is no report."""
    path = os.path.abspath(os.fspath(project))
    stem = os.path.splitext(path)[0]
    if not os.path.isfile(stem + ".tvo"):
        raise TervaError(f"no results beside {path}: {stem}.tvo is missing", project=path)
    if os.path.exists(stem + ".tvo.delivery"):
        # a run is putting its results in place, or was killed doing so: the
        # files may belong to two runs until the next run (or the program) completes them
        raise TervaError(f"the results beside {path} are being replaced (or a run that replaced them was "
                         f"killed); run the analysis again or open the project in TERVA", project=path)
    return _assemble(path, _read_text(stem + ".tvo"), None, os.path.isfile(stem + ".tvp"), True)


def _collect(job, stdout, stderr, legacy):
    """The Result of one job after the call, or a TervaError.  The error of an
    input run in a temporary folder names the input (its title), not the
    folder's files, which go with the call."""
    outcome = _collect_files(job, stdout, stderr, legacy)
    if isinstance(outcome, TervaError) and job.folder:
        message = outcome.message.replace("; the previous results are kept", "").replace(job.path, job.label)
        lines = [line.replace(job.path, job.label) for line in outcome.lines]
        outcome = TervaError(message, lines, outcome.code)
    return outcome


def _collect_files(job, stdout, stderr, legacy):
    block = _block_of(stdout, job.path)
    m = re.search(r"engine returned (\d+)", block)
    code = int(m.group(1)) if m else None
    report_fresh = job.fresh(job.report)
    report_text = _read_text(job.report) if report_fresh else ""
    mine = [l.strip() for l in stderr.splitlines() if job.path in l] or \
        [l.strip() for l in stderr.splitlines() if l.strip()]
    # A run without results keeps the previous ones; its report is NAME.failed.tvo.
    refused = re.search(re.escape("terva-batch: " + job.path + ": engine returned ") + r"(\d+)", stderr)
    if code is None and refused and job.fresh(job.failed):
        code = int(refused.group(1))
        text = _read_text(job.failed)
        what = f"the engine returned {code}" if code != 0 else "the analysis failed at every frequency"
        return TervaError(f"{job.path}: {what}; the previous results are kept",
                          _report.error_lines(text) or mine, code, job.failed, job.path)
    if code is None or not report_fresh:
        return TervaError(f"{job.path}: terva-batch delivered no results", mine, None, None, job.path)
    if code != 0:
        return TervaError(f"{job.path}: the engine returned {code}", _report.error_lines(report_text) or mine,
                          code, job.report, job.path)
    failed = re.search(r"completed with errors at (\d+) frequencies", block)
    if failed:
        return TervaError(f"{job.path}: the analysis failed at {failed.group(1)} frequencies",
                          _report.error_lines(report_text), code, job.report, job.path)
    # Only files this run wrote count: an older .tvj (or graphic data file) left
    # beside the project belongs to another run.
    try:
        result = _assemble(job.path, report_text, job.json if not legacy and job.fresh(job.json) else None,
                           job.fresh(job.graphic), job.fresh(job.results_file), code)
    except TervaError as e:
        return e
    if job.folder:
        result._folder = job.folder
        weakref.finalize(result, shutil.rmtree, job.folder, True)
        job.folder = None
    return result


def _legacy_answer(done):
    """True when terva-batch took --export for a project name (no export)."""
    return "--export: no such project file" in done.stderr or "/--export: no such" in done.stderr


def _execute(jobs_list, jobs, timeout):
    batch = find_batch()
    paths = [job.path for job in jobs_list]
    parallel = ["-j", str(jobs)] if jobs and len(paths) > 1 else []
    legacy = _legacy.get(batch, False)
    if not legacy:
        done = _call(batch, ["--export", "json"] + parallel + paths, timeout)
        if _legacy_answer(done):
            legacy = _legacy[batch] = True
    if legacy:
        done = _call(batch, paths, timeout)  # one at a time: an older terva-batch has no -j
    return [_collect(job, done.stdout, done.stderr, legacy) for job in jobs_list]


def run(project, timeout=None):
    """Runs one project and returns its Result: ``project`` is a path (a string or
    path-like), a ``terva.Input``, or an input text as ``terva.Text(text)``
    (``run_text``).

    A path's report, graphic data file, results file (.tvj) and NAME.results.json
    are written beside it, as terva-batch does; an input runs in a temporary
    folder of its own.  ``timeout`` is in seconds.
    Raises TervaError when the engine refuses or stops, or fails at a frequency."""
    job = _Job(project)
    try:
        outcome = _execute([job], None, timeout)[0]
    finally:
        job.discard()
    if isinstance(outcome, TervaError):
        raise outcome
    return outcome


def run_text(text, timeout=None):
    """Runs an input text (a project file's or the engine's free layout) in a
    temporary folder of its own and returns its Result, as ``run``."""
    return run(Text(text), timeout)


class _Progress:
    """A progress bar on standard error (tqdm) for long studies: shown when
    asked, or by default when standard error is a terminal and there are
    several projects; nothing without tqdm."""

    def __init__(self, total, wanted):
        self._bar = None
        if wanted is None:
            wanted = total > 1 and hasattr(sys.stderr, "isatty") and sys.stderr.isatty()
        if wanted and total:
            try:
                from tqdm import tqdm
            except ImportError:
                return
            self._bar = tqdm(total=total, unit="project", desc="terva", file=sys.stderr, smoothing=0.1)

    @property
    def shown(self):
        return self._bar is not None

    def update(self, count=1, failed=0):
        if self._bar is not None:
            if failed:
                self._bar.set_postfix(failed=failed, refresh=False)
            self._bar.update(count)

    def close(self):
        if self._bar is not None:
            self._bar.close()


_ARGUMENTS = 256 * 1024  # bytes of paths on one terva-batch command line


def _chunks(jobs_list, size):
    """Runs of jobs for one terva-batch call each: at most `size` projects and a
    command line well below the system's limit."""
    chunk, length = [], 0
    for job in jobs_list:
        if chunk and (len(chunk) >= size or length + len(job.path) + 1 > _ARGUMENTS):
            yield chunk
            chunk, length = [], 0
        chunk.append(job)
        length += len(job.path) + 1
    if chunk:
        yield chunk


def _run_local(made, jobs, timeout, bar):
    """The outcomes of the jobs through terva-batch -j, in calls of a few
    projects each while a progress bar is shown (else as few calls as the
    command line allows); `timeout` bounds the whole."""
    deadline = None if timeout is None else time.monotonic() + timeout
    size = max(4 * jobs, 16) if bar.shown else 4096
    outcomes, failed = [], 0
    for chunk in _chunks(made, size):
        left = None if deadline is None else deadline - time.monotonic()
        if left is not None and left <= 0:
            done = [TervaError(f"{job.label}: not run: the call's {timeout:g} s had passed",
                               project=None if job.folder else job.path)
                    for job in chunk]
        else:
            try:
                done = _execute(chunk, jobs, left)
            except TervaError:  # the time ran out: this call's projects did not deliver
                done = [TervaError(f"{job.label}: not finished within the call's {timeout:g} s",
                                   project=None if job.folder else job.path) for job in chunk]
        outcomes += done
        now = sum(isinstance(o, TervaError) for o in done)
        failed += now
        bar.update(len(chunk), failed)
    return outcomes


def _portable(project):
    """A project as it travels to a worker: an absolute path, or the input
    text as a terva.Text."""
    if hasattr(project, "text") and callable(project.text):  # a terva.Input
        return Text(project.text())
    if _is_text(project):
        return Text(project)
    return os.path.abspath(os.fspath(project))


def _task(projects, timeout):
    """Projects on a worker, one after another in one terva-batch call: their
    Results, or the TervaErrors they gave (returned, not raised, so that they
    come back whole)."""
    if len(projects) == 1:
        try:
            done = [run(projects[0], timeout)]
        except TervaError as e:
            done = [e]
    else:
        done = run_many(projects, jobs=1, timeout=timeout, errors="return", progress=False)
    # An input's temporary folder goes now, not when the executor lets the result go.
    return [o._detached() if isinstance(o, Result) else o for o in done]


def _slots(executor):
    """How many tasks the executor runs at once, where it says: a Dask
    client's worker threads, a pool's workers; None where unknown."""
    try:
        if _is_dask(executor):
            return sum(executor.nthreads().values()) or None
        return getattr(executor, "_max_workers", None)
    except Exception:  # a client not connected, an executor of another kind
        return None


def _auto_chunksize(executor, count):
    """Projects per task: one each for a few projects; for many, up to 16 a task
    while every slot still gets at least four tasks (each task saves a process
    start and a round trip per project; four or more tasks a slot keep the
    slots evenly busy)."""
    slots = _slots(executor) or 1
    return max(1, min(16, count // (4 * slots)))


def _is_dask(executor):
    return type(executor).__module__.split(".")[0] == "distributed" and hasattr(executor, "gather")


def _name(project):
    return "input text" if isinstance(project, Text) else project


def _run_executor(items, executor, timeout, bar, chunksize):
    """The outcomes of the projects run as tasks of `chunksize` projects on the
    executor (a Dask client or a concurrent.futures.Executor), in the order
    given; a task that failed on its worker (the worker lost, the task
    cancelled) gives a TervaError for each of its projects only."""
    starts = range(0, len(items), chunksize)
    if _is_dask(executor):
        from distributed import as_completed
        futures = [executor.submit(_task, items[k:k + chunksize], timeout, pure=False) for k in starts]
        cancel = lambda: executor.cancel(futures)  # noqa: E731
    else:
        from concurrent.futures import as_completed
        futures = [executor.submit(_task, items[k:k + chunksize], timeout) for k in starts]
        cancel = lambda: [f.cancel() for f in futures]  # noqa: E731
    where = {id(f): k for f, k in zip(futures, starts)}
    outcomes = [None] * len(items)
    failed = 0
    try:
        for future in as_completed(futures):
            first = where[id(future)]
            chunk = items[first:first + chunksize]
            try:
                done = list(future.result())
                if hasattr(future, "release"):  # a Dask future: the worker may forget the result
                    future.release()
            except Exception as e:  # the task itself failed (a worker lost, cancelled ...)
                done = [TervaError(f"{_name(item)}: the task failed on its worker: {type(e).__name__}: {e}",
                                   project=None if isinstance(item, Text) else item) for item in chunk]
            for j, item in enumerate(chunk):
                outcome = done[j] if j < len(done) else None
                if not isinstance(outcome, (Result, TervaError)):
                    outcome = TervaError(f"{_name(item)}: the worker returned {type(outcome).__name__}")
                outcomes[first + j] = outcome
                failed += isinstance(outcome, TervaError)
            bar.update(len(chunk), failed)
    except BaseException:  # Ctrl+C: no further project starts
        cancel()
        raise
    return outcomes


def run_many(projects, jobs=None, timeout=None, executor=None, errors="raise", progress=None, chunksize=None):
    """Runs several projects and returns their Results in the order given.

    ``projects``: paths, ``terva.Input`` objects or input texts as ``terva.Text(text)``.
    Without ``executor``, terva-batch runs ``jobs`` engine processes at once on this
    machine (default: the number of processors); ``timeout`` (seconds) then bounds the
    whole call.  With ``executor`` a ``dask.distributed.Client`` or any
    ``concurrent.futures.Executor``, each project runs as a task of its own (its own
    terva-batch process, on the worker's machine, which has TERVA installed) and
    ``timeout`` bounds each task; ``jobs`` is then the executor's business, and
    ``chunksize`` projects go to a task, run one after another in one terva-batch
    call (None: one each for a few projects, up to 16 for many while every worker
    thread still gets four tasks or more; each saves a process start per project).  A
    path's results are written beside it (on the worker's machine: use a shared
    folder, or Inputs, whose arrays come back); an input runs in a temporary folder.

    A failure never stops the others.  ``errors="raise"`` (the default): when any
    project failed, a TervaError is raised after all have run, listing every failure;
    its ``results`` attribute holds the list with a TervaError in place of each
    failed project.  ``errors="return"``: that list is returned.

    ``progress``: a progress bar on standard error (tqdm); None shows it when
    standard error is a terminal and there are several projects."""
    if errors not in ("raise", "return"):
        raise ValueError("errors must be 'raise' or 'return'")
    projects = list(projects)
    if not projects:
        return []
    bar = _Progress(len(projects), progress)
    try:
        if executor is not None:
            items = [_portable(p) for p in projects]
            paths = [p for p in items if not isinstance(p, Text)]
            if len(set(paths)) != len(paths):
                raise TervaError("run_many: a project is given twice")
            size = _auto_chunksize(executor, len(items)) if chunksize is None else max(1, int(chunksize))
            outcomes = _run_executor(items, executor, timeout, bar, size)
        else:
            if jobs is None:
                jobs = os.cpu_count() or 1
            jobs = max(1, int(jobs))
            made = []  # a _Job, or the TervaError of a project that cannot run (a missing file)
            try:
                for p in projects:
                    try:
                        made.append(_Job(p))
                    except TervaError as e:
                        made.append(e)
                jobs_list = [job for job in made if isinstance(job, _Job)]
                paths = [job.path for job in jobs_list]
                if len(set(paths)) != len(paths):
                    raise TervaError("run_many: a project is given twice")
                bar.update(len(made) - len(jobs_list))
                done = iter(_run_local(jobs_list, jobs, timeout, bar))
                outcomes = [job if isinstance(job, TervaError) else next(done) for job in made]
            finally:
                for job in made:
                    if isinstance(job, _Job):
                        job.discard()
    finally:
        bar.close()
    failures = [o for o in outcomes if isinstance(o, TervaError)]
    if failures and errors == "raise":
        error = TervaError(f"{len(failures)} of {len(outcomes)} projects failed",
                           [str(f).splitlines()[0] for f in failures])
        error.results = outcomes
        raise error
    return outcomes
