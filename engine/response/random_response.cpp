#include "engine/response/random_response.hpp"

#include <cmath>
#include <limits>
#include <vector>

#include "engine/core/elementary.hpp"
#include "engine/response/harmonic_response.hpp"
#include "engine/numerics/solvers.hpp"

namespace terva {

bool SolveRandom(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, FrequencyResponse& r, Report& out) {
  SubtractMass(A, omega, p.mass);
  ComplexMatrix6 H;  // the identity, replaced by the inverse
  for (int i = 1; i <= kDof; ++i) H(i, i) = Complex(1.0f, 0.0f);
  std::array<Complex, 36 + 6> wa{};
  std::array<Real, 6> wk{};
  int ier = 0;
  LEQ2C(A.data(), 6, 6, H.data(), 6, 6, 0, wa.data(), wk.data(), ier, out);
  if (ier == 129) {  // singular: H still holds the identity, which is no response
    r.MarkUnknown();
    return false;
  }
  const bool loaded = k <= p.load.PointCount && k <= kMaxFrequencies;
  Vector6<Complex> response;
  for (int d = 1; d <= kDof; ++d) {
    Real sum = 0.0f;
    if (loaded)
      for (int i = 1; i <= kDof; ++i)
        for (int j = 1; j <= kDof; ++j) sum += (H(d, i) * std::conj(H(d, j)) * p.load.Spectral(k, i, j)).real();
    response(d) = sum;
  }
  if (!CheckResponse(out, k, omega, response, r)) return false;
  r.kind = FrequencyResponse::Kind::kAmplitude;
  for (int d = 1; d <= kDof; ++d) r.amplitude[static_cast<size_t>(d - 1)] = response(d).real();
  return true;
}

Real SimpsonMoment(const Real* values, int n, Real h) {
  if (n < 3) return 0.0f;
  Real sum = values[0] + values[n - 1];
  for (int i = 1; i < n - 1; ++i) sum += (i % 2 == 1 ? 4.0f : 2.0f) * values[i];
  return h / 3.0f * sum;
}

namespace {

void SpectrumTable(const ResultStore& r, Report& out, const char* title, int dashes, const char* column, int gap,
                   int d) {
  out.Blank(2);
  out.Line(fmt::Line().X(14).A(title));
  out.Line(fmt::Line().X(14).Repeat('-', dashes));
  out.Line(fmt::Line().X(14).A("FREQUENCY").X(gap).A(column));
  out.Blank();
  for (int k = 1; k <= r.count; ++k)
    out.Line(fmt::Line().X(14).F(r.printedOmega(k), 7, 2).X(15).PE(r.amplitude(d)(k), 12, 6));
}

}  // namespace

void PrintRandomResults(const ProblemData& p, ResultStore& r, Report& out) {
  WritePageHeader(out, 2, p.run.Title);
  out.Blank(2);
  out.Line(fmt::Line().X(13).A("DEGREE OF"));
  out.Line(fmt::Line().X(14).A("FREEDOM").X(4).A("PEAK FACTOR (G)").X(3).A("MAXIMUM DISPLACEMENT"));
  out.Line(fmt::Line().X(13).Repeat('-', 9).X(3).Repeat('-', 15).X(3).Repeat('-', 20));
  out.Blank();
  const Real h = p.load.FreqStep;
  const Real twoPi = static_cast<Real>(2.0 * std::acos(-1.0));
  bool undefined = false;
  std::vector<Real> s(static_cast<size_t>(r.count)), v(static_cast<size_t>(r.count));
  for (int d = 1; d <= kDof; ++d) {
    for (int k = 1; k <= r.count; ++k) {
      const Real w = r.printedOmega(k);  // the running frequency
      s[static_cast<size_t>(k - 1)] = r.amplitude(d)(k);
      v[static_cast<size_t>(k - 1)] = w * w * r.amplitude(d)(k);
    }
    const Real m0 = SimpsonMoment(s.data(), r.count, h);
    const Real m2 = SimpsonMoment(v.data(), r.count, h);
    fmt::Line row;
    row.X(16).I(d, 2).X(12);
    const Real unknown = std::numeric_limits<Real>::quiet_NaN();
    r.peakFactor[static_cast<size_t>(d - 1)] = unknown;
    r.maximum[static_cast<size_t>(d - 1)] = unknown;
    if (!Finite(m0) || !Finite(m2)) {  // a spectrum with unknown points has no moments: asterisks
      out.Line(row.F(unknown, 4, 1).X(9).E(unknown, 14, 4));
      continue;
    }
    // a spectrum that is nowhere positive has no mean frequency
    const Real nu = m0 > 0.0f && m2 > 0.0f ? std::sqrt(m2 / m0) / twoPi : 0.0f;
    Real g = 0.0f;
    bool defined = true;
    if (nu > 0.0f) {
      const Real nt = nu * p.load.RandomDuration;
      if (nt > 1.0f) {
        const Real q = std::sqrt(2.0f * Log(nt));
        g = q + 0.5772f / q;
      } else {
        defined = false;  // too few expected crossings in the duration for the peak factor
      }
    }
    if (defined) {
      const Real maximum = g * std::sqrt(m0 > 0.0f ? m0 : 0.0f);
      r.peakFactor[static_cast<size_t>(d - 1)] = g;
      r.maximum[static_cast<size_t>(d - 1)] = maximum;
      row.F(g, 4, 1).X(9).E(maximum, 14, 4);
    } else {
      row.A("  * ").X(9).A("   NOT DEFINED");
      undefined = true;
    }
    out.Line(row);
  }
  if (undefined) {
    out.Blank();
    out.Line("* PEAK FACTOR NOT DEFINED: MEAN FREQUENCY TIMES DURATION IS 1 OR LESS");
  }
  SpectrumTable(r, out, "RESPONSE SPECTRA CURVE OF TRANSLATION", 37, "IN X DIRECTION", 12, 1);
  SpectrumTable(r, out, "RESPONSE SPECTRA CURVE OF ROTATION", 34, "ABOUT Y AXIS", 14, 5);
}

}  // namespace terva
