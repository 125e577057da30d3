// Equations of motion of the rigid footing and the harmonic response.
#pragma once

#include <cstdio>
#include <string_view>

#include "engine/core/matrix6.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/report/report.hpp"
#include "engine/response/results.hpp"

namespace terva {

// A − ω²·M in place: the mass on the diagonal, the products of inertia with a minus sign.
void SubtractMass(ComplexMatrix6& A, Real omega, const MassConstants& mass);

// Solves (A − ω²·M)·x = b, A already holding A − ω²·M; a singular system
// leaves b as it was (the solver reports it).
void SolveFootingSystem(const ComplexMatrix6& A, Vector6<Complex>& b, Report& out);

// The results page with the "FOOTING RESPONSE AMPLITUDES" title of the
// harmonic and transient tables.
void WriteResponseTitle(Report& out, std::string_view title);

// One frequency of a harmonic load: forms the equations, solves them and keeps
// the six amplitudes at index k.
void SolveHarmonic(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, ResultStore& r, Report& out);

// After the loop: the "FOOTING RESPONSE AMPLITUDES" page and the response
// lines of the graphic data file (when there is one).
void PrintHarmonicResults(const ProblemData& p, const ResultStore& r, Report& out, std::FILE* graphic);

}  // namespace terva
