// Modified Bessel functions I0, I1, K0 and K1 of complex argument, as the soil
// reactions of side layers and pile elements need them.
//
// Results are single precision; the sums are formed in double and rounded once
// at the end, so the cancellation inside the ascending K series near |z| = 9
// costs nothing at single precision.
//
// K0, K1: for |z| <= 9 the ascending series (logarithmic term with Euler's
// constant stored as 0.5772157, times I0 or I1, plus the power series with
// harmonic-number coefficients), 50 terms; above, the asymptotic expansion
// sqrt(pi/(2z))·e^(-z)·(1 + sum of terms in 1/(8z)), which stops at its
// smallest term (at most 50 terms). When |z| > 9 and the phase of z exceeds
// 3π/2 in magnitude the result says so (phaseError; the caller's report then
// carries the line "ERROR (ABS(PHI).GT.3PI/2)") and the values are still
// returned. With the principal phase used here (in (−π, π], π/2 for a zero
// real part) that cannot occur.
//
// The stored Euler constant differs from the true one by about 7e-9, so for
// arguments near the positive real axis close to |z| = 9, where I0 is about a
// thousand and K0 about 5e-5, the ascending K values carry that difference
// times I0 or I1 (some 10 %). Along the imaginary axis, where the soil
// reactions evaluate them, the effect is below single precision.
//
// K0(0) and K1(0) are +infinity (real); callers take the limits they need.
#pragma once

#include "engine/core/scalar.hpp"

namespace terva {

struct BesselKPair {
  Complex k0, k1;
  bool phaseError = false;  // |z| > 9 and |arg z| > 3π/2: outside the asymptotic expansion's range
};

// K0(z) and K1(z) together (one evaluation).
BesselKPair BesselK(Complex z);

// e^z·K0(z) and e^z·K1(z): the same ratios and products of K values without the
// under- or overflow of e^(−z) at large |Re z|.
BesselKPair ScaledBesselK(Complex z);

// K0(z) and K1(z) alone, for callers that need no phase status.
Complex BesselK0(Complex z);
Complex BesselK1(Complex z);

// I0(z) = 1 + Σ (z/2)^(2k)/(k!)², I1(z) = Σ (z/2)^(2k−1)/(k!·(k−1)!), k = 1 … 20;
// where twenty terms have not yet settled the sum (|z| above about 11) the sum
// goes on until the terms no longer change it, at most 150 terms.
Complex BesselI0(Complex z);
Complex BesselI1(Complex z);

}  // namespace terva
