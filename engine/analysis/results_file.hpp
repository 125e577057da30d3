// The results file: every number of a run at the engine's own precision, for
// programs to read (the report and the graphic data file print three to six
// digits). It is written only when the run-file list names it on its seventh
// line; without it every other file of the run stays byte for byte the same.
//
// A JSON document (UTF-8, one object). Every number is a single-precision
// value written with at most nine significant digits, which read back to the
// same float (as a float, or as a double rounded to a float);
// values that are no finite number are null. Lists are indexed by frequency
// (or time) in the order of the run. Keys, in this order:
//
//   "format": "terva-engine-results", "version": 1,
//   "title":  the run's title, trailing blanks removed,
//   "foundation": "HALF-SPACE" | "STRATUM" | "MULTILAYER" | "PILE",
//   "load": "harmonic" | "transient" | "random",
//   "dimensionless": the DIMENSIONLESS option (response without units),
//   "units": {"length", "force", "stiffness_translation", "stiffness_rotation",
//             "stiffness_cross", "damping_translation", "damping_rotation",
//             "damping_cross"}: the report's unit labels,
//   "hz": "rad/s * 0.5 / 3.14": how the report converts to Hz,
//   "count": the number of frequencies,
//   "omega": [rad/s] the frequencies solved at (the running value of the
//            frequency list, floored at 0.0001),
//   "stiffness": {"Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp"},
//   "damping":   {"Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp"}:
//            the constants at the centre of gravity of every frequency, as
//            the report's tables hold them before printing (with or without
//            the MATRIX option),
//   harmonic loads:
//   "response": {"amplitude": {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"},
//                "real": {...the same six}, "imag": {...}}: the amplitudes
//            the response table prints and the complex motions of the
//            centre of gravity whose moduli they are (translations, then
//            rotations about X, Y, Z; a load acts as F·cos ωt = Re(F·e^{iωt}),
//            so a motion u = Re(U·e^{iωt})),
//   transient loads:
//   "transient": {"time": [s], "history": {six}: the response table's rows,
//                 "spectrum": {"real": {six}, "imag": {six}}: the response
//                 spectra at the frequencies of "omega"},
//   random loads:
//   "random": {"spectrum": {six}: the response spectra at the frequencies of
//              "omega" (the report prints UOX and EPOY), "peak_factor": [six],
//              "maximum": [six]: the peak factor and maximum displacement
//              table, null where not defined}.
#pragma once

#include <cstdio>

#include "engine/core/problem_data.hpp"
#include "engine/response/results.hpp"

namespace terva {

// Writes the results file of an analysed run to `file`: 0, or the error
// number of a failed write.
int WriteResultsFile(std::FILE* file, const ProblemData& p, const ResultStore& r);

}  // namespace terva
