// The analysis of a complete problem: the frequency list, the impedance of the
// foundation at every frequency, the stiffness and damping report, and the
// response.
#pragma once

#include <cstdio>

#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

// Runs the analysis of p, writing the report to out and the graphic data file
// to graphic (nothing when it is null); the results go to the process-wide
// results record.
void RunAnalysis(ProblemData& p, Report& out, std::FILE* graphic);

}  // namespace terva
