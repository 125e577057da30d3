// Response to transient loads: the load spectra solved frequency by frequency,
// then transformed back into displacement histories.
#pragma once

#include "engine/matrix6.hpp"

namespace terva {

// Frequency k of the transient list: solves (A − ω²·M)·X = F(k) and keeps X(k).
void SolveTransient(ComplexMatrix6& A, Real omega, int k);

// After the loop: the spectra completed by symmetry, transformed to histories,
// and the time table of the report.
void PrintTransientResults();

}  // namespace terva
