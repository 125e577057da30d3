// Response to random loads: the transfer matrix at every frequency point, the
// power spectral densities of the six motions, their spectral moments, peak
// factors and expected maxima.
#pragma once

#include "engine/core/matrix6.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

// Frequency point k: H = (A − ω²·M)⁻¹ and Sx(k, d) = Σ Re[H(d,i)·conj(H(d,j))·S(i,j)].
bool SolveRandom(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, FrequencyResponse& r, Report& out);

// After the loop: the peak-factor table and the two response spectrum tables.
void PrintRandomResults(const ProblemData& p, ResultStore& r, Report& out);

// Spectral moment by Simpson's rule with spacing h: interior weights 4, 2, 4, …
// and weight 1 at both ends (n >= 3).
Real SimpsonMoment(const Real* values, int n, Real h);

}  // namespace terva
