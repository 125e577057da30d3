// The analysis of a complete problem: the frequency list, the impedance of the
// foundation at every frequency, the stiffness and damping report, and the
// response.
#pragma once

#include <cstdio>

#include "engine/analysis/progress.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

// Runs the analysis of p, writing the report to out and the graphic data file
// to graphic (nothing when it is null); the results go to `results` (the
// run's own, fresh record), the frequency loop's progress to `progress`.
// False when the problem was refused ("PROGRAM WILL NOT EXECUTE": a gravity
// or half-space velocity that is not positive, more frequencies than the
// results hold) and nothing was analysed. Frequencies whose equations could
// not be solved, or whose impedance or response is no finite number, are
// counted; when there are any the report ends with
// "*** ANALYSIS COMPLETED WITH ERRORS AT n FREQUENCIES ***".
bool RunAnalysis(ProblemData& p, ResultStore& results, Report& out, std::FILE* graphic, RunProgress& progress);

}  // namespace terva
