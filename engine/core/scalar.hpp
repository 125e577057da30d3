// Scalar types of the engine.
//
// The engine computes in single precision throughout: every real is a 32-bit
// float and every complex value a pair of them, real part first. The equation
// solvers accumulate residuals in a wider type. Change the precision here and
// nowhere else.
#pragma once

#include <complex>
#include <cstdint>

namespace terva {

using Real = float;                      // all reals of the problem record and the analysis
using Complex = std::complex<Real>;      // impedances, spectra, response amplitudes
using WideReal = long double;            // residual accumulation in the solvers
using Int = std::int32_t;                // counts, codes and the entry point's argument

}  // namespace terva
