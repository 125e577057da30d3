"""python3 -m terva PROJECT.tvd [PROJECT.tvd ...] [-j N] [--timeout S]

Analyses the projects through terva-batch (terva.run_many) and prints, for
each project in the order given, the engine's return code and its meaning,
where the report is, the frequencies, the precision of the numbers and, for a
harmonic load, the peak amplitude of each motion with its frequency; a project
that gave no results prints its error lines.  Exit status: 0 when every
project was analysed, 1 when any failed, 2 on a wrong command line, 130 when
interrupted.  Numbers are printed with a decimal point under any locale.
"""
import argparse
import os
import sys
import warnings

import numpy as np

import terva

# terva-batch's words for the engine's return codes
MEANING = {
    0: "analysis completed",
    1: "wrong entry argument",
    2: "run stopped (STOP keyword or end of input without RUN)",
    3: "fatal input error - analysis not run",
    4: "refused - another run of this process holds its folder",
}


def _number(x):
    return format(float(x), ".6g")


def _amplitude(x):
    return format(float(x), ".4E")


def _jobs(text):
    try:
        n = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if n < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1: {text}")
    return n


def _seconds(text):
    try:
        s = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a number of seconds: {text!r}") from None
    if not s > 0 or s == float("inf"):
        raise argparse.ArgumentTypeError(f"must be a positive number of seconds: {text}")
    return s


def _parser():
    p = argparse.ArgumentParser(
        prog="python3 -m terva",
        description="Analyses TERVA projects with the engine (through terva-batch) and prints a summary "
                    "of each: the engine's return code, the report, the frequencies, the precision and, "
                    "for a harmonic load, the peak amplitude of each motion.",
        epilog="Exit status: 0 every project analysed, 1 a project failed, 2 a wrong command line.")
    p.add_argument("projects", nargs="+", metavar="PROJECT.tvd", help="a project file")
    p.add_argument("-j", "--jobs", type=_jobs, metavar="N",
                   help="engine processes at once (default: the number of processors)")
    p.add_argument("--timeout", type=_seconds, metavar="S",
                   help="stop the whole call after S seconds; the previous results are kept")
    p.add_argument("--version", action="version", version=f"terva {terva.__version__}")
    return p


def _code_line(code):
    return f"engine returned {code}: {MEANING.get(code, 'unexpected return code')}"


def _peaks(r):
    """Lines of the peak amplitude of each motion and its frequency."""
    names = r.amplitude_names or ["UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"]
    rad_s, hz = r.response_frequency_rad_s, r.response_frequency_hz
    lines = []
    for k, name in enumerate(names):
        column = np.asarray(r.amplitudes[:, k], dtype=float)
        unit = r.units.get(name, "")
        label = f"    {name:<5} "
        if column.size == 0 or np.all(np.isnan(column)):
            lines.append(label + "no value")
            continue
        i = int(np.nanargmax(column))
        value = f"{_amplitude(column[i])} {unit}".rstrip()
        if column[i] == 0:
            lines.append(f"{label}{value:<16} (no motion at any frequency)")
        else:
            lines.append(f"{label}{value:<16} at {_number(rad_s[i])} rad/s ({_number(hz[i])} Hz)")
    return lines


def describe(path, r):
    """The summary lines of an analysed project."""
    lines = [path, "  " + _code_line(0), f"  report: {r.report}"]
    n = len(r.frequency_rad_s)
    if n:
        lines.append(f"  frequencies: {n}, {_number(np.min(r.frequency_rad_s))} to "
                     f"{_number(np.max(r.frequency_rad_s))} rad/s "
                     f"({_number(np.min(r.frequency_hz))} to {_number(np.max(r.frequency_hz))} Hz)")
    else:
        lines.append("  frequencies: none")
    lines.append(f"  precision: {r.precision}")
    if r.note:
        lines.append(f"  note: {r.note}")
    if r.amplitudes is not None:
        lines.append(f"  peak amplitudes ({r.load.get('name', 'harmonic')} load):")
        lines += _peaks(r)
    return lines


def describe_failure(path, error):
    """The summary lines of a project that gave no results."""
    lines = [path]
    if error.code is not None:
        lines.append("  " + _code_line(error.code))
    if error.report:
        lines.append(f"  report: {error.report}")
    lines += ["  " + line for line in str(error).splitlines()]
    return lines


def _write(lines):
    sys.stdout.write("".join(line + "\n" for line in lines))
    sys.stdout.flush()


def main(argv=None):
    args = _parser().parse_args(argv)
    paths = args.projects
    # A missing file, or one given twice, is refused on its own; the others still run.
    outcome = [None] * len(paths)
    seen = {}
    runnable = []
    for i, path in enumerate(paths):
        full = os.path.abspath(path)
        if not os.path.isfile(full):
            what = "is a folder, not a project file" if os.path.isdir(full) else "no such project file"
            outcome[i] = terva.TervaError(f"{path}: {what}", project=full)
        elif full in seen:
            outcome[i] = terva.TervaError(f"{path}: given twice; analysed once, as project {seen[full] + 1}",
                                          project=full)
        else:
            seen[full] = i
            runnable.append(i)
    if runnable:
        with warnings.catch_warnings():
            # the precision and its note are printed with each project
            warnings.simplefilter("ignore", terva.PrecisionWarning)
            try:
                results = terva.run_many([paths[i] for i in runnable], jobs=args.jobs, timeout=args.timeout)
            except terva.TervaError as e:
                results = getattr(e, "results", None)
                if results is None or len(results) != len(runnable):
                    # nothing was analysed: terva-batch missing, the time ran out, ...
                    results = [e] * len(runnable)
            except KeyboardInterrupt:
                sys.stderr.write("terva: interrupted\n")
                return 130
        for i, r in zip(runnable, results):
            outcome[i] = r
    analysed = 0
    for path, r in zip(paths, outcome):
        if isinstance(r, terva.TervaError):
            _write(describe_failure(path, r))
        else:
            analysed += 1
            _write(describe(path, r))
    failed = len(paths) - analysed
    _write(["", f"summary: {len(paths)} project{'' if len(paths) == 1 else 's'}, {analysed} analysed, "
                f"{failed} failed"])
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
