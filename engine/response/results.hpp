// The results record of one analysis run: the frequencies solved at and the
// footing's response at each of them.
#pragma once

#include "engine/core/problem_data.hpp"

namespace terva {

// Results of one analysis run, index 1..count.
struct ResultStore {
  int count = 0;
  Rows<Real, kMaxFrequencies> omega;         // the frequency solved at (floored at 0.0001)
  Rows<Real, kMaxFrequencies> printedOmega;  // the running frequency the tables print
  Rows<Rows<Real, kMaxFrequencies>, kDof> amplitude;  // harmonic amplitudes; random: response spectra
  Rows<Rows<Complex, kDof>, kMaxTransientPoints> spectrum;  // transient response spectra X(k, d)
};

}  // namespace terva
