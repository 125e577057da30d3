// Scalar types of the engine.
//
// The engine computes in single precision throughout: every real is a 32-bit
// float and every complex value a pair of them, real part first. The equation
// solvers accumulate residuals in a wider type. Change the precision here and
// nowhere else.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>

namespace terva {

using Real = float;                      // all reals of the problem record and the analysis
using Complex = std::complex<Real>;      // impedances, spectra, response amplitudes
using WideReal = long double;            // residual accumulation in the solvers
using Int = std::int32_t;                // counts, codes and the entry point's argument

// Whether a value (both parts of a complex one) is neither infinite nor NaN.
inline bool Finite(Real x) { return std::isfinite(x); }
inline bool Finite(Complex z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

// A circular frequency in rad/s as the report prints it in Hz: every Hz value
// the engine writes is ω·0.5/3.14.
inline Real Hz(Real omega) { return omega * 0.5f / 3.14f; }

}  // namespace terva
