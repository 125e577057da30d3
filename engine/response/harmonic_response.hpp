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

// Solves (A − ω²·M)·x = b, A already holding A − ω²·M; false when the system
// is singular, b then left as it was (the solver reports it).
bool SolveFootingSystem(const ComplexMatrix6& A, Vector6<Complex>& b, Report& out);

// The six degrees of freedom by the names of the response tables.
inline constexpr const char* kDofNames[kDof] = {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};

// One line for frequency k whose impedance or response (what) is not a
// finite number, naming the terms concerned, e.g.
// "*** RESPONSE NOT FINITE AT FREQUENCY    3 (    1.2345 Hz) - UOX UOZ ***".
void ReportNotFinite(Report& out, std::string_view what, int k, Real omega, std::string_view terms);

// After a solve at index k: whether all six responses are finite; when not,
// reports them and marks the frequency's response unknown.
bool CheckResponse(Report& out, int k, Real omega, const Vector6<Complex>& response, FrequencyResponse& r);

// The results page with the "FOOTING RESPONSE AMPLITUDES" title of the
// harmonic and transient tables.
void WriteResponseTitle(Report& out, std::string_view title);

// One frequency of a harmonic load: forms the equations, solves them and keeps
// the six amplitudes in r. False when the solve failed or gave no finite
// response: r is then unknown (asterisks in the table),
// never the loads.
bool SolveHarmonic(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, FrequencyResponse& r, Report& out);

// After the loop: the "FOOTING RESPONSE AMPLITUDES" page and the response
// lines of the graphic data file (when there is one).
void PrintHarmonicResults(const ProblemData& p, const ResultStore& r, Report& out, std::FILE* graphic);

}  // namespace terva
