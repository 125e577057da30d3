// Response to transient loads: the load spectra solved frequency by frequency,
// then transformed back into displacement histories.
#pragma once

#include "engine/core/matrix6.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

// Frequency k of the transient list: solves (A − ω²·M)·X = F(k) and keeps X(k) in r.
bool SolveTransient(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, FrequencyResponse& r, Report& out);

// After the loop: the spectra completed by symmetry (in r), transformed to
// histories, and the time table of the report.
void PrintTransientResults(const ProblemData& p, ResultStore& r, Report& out);

}  // namespace terva
