#include "engine/response/transient_response.hpp"

#include <algorithm>
#include <vector>

#include "engine/numerics/dft.hpp"
#include "engine/response/harmonic_response.hpp"

namespace terva {

bool SolveTransient(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, FrequencyResponse& r, Report& out) {
  SubtractMass(A, omega, p.mass);
  Vector6<Complex> b;
  const int points = std::min<Int>(p.load.PointCount, kMaxTransientPoints);
  for (int d = 1; d <= kDof; ++d) b(d) = k <= points ? p.load.TransientSpectrum(k)(d) : Complex(0.0f, 0.0f);
  // a singular system keeps the load spectrum in b: the history is then unknown, not the load's
  if (!SolveFootingSystem(A, b, out)) {
    r.MarkUnknown();
    return false;
  }
  if (!CheckResponse(out, k, omega, b, r)) return false;
  r.kind = FrequencyResponse::Kind::kSpectrum;
  for (int d = 1; d <= kDof; ++d) r.spectrum[static_cast<size_t>(d - 1)] = b(d);
  return true;
}

void PrintTransientResults(const ProblemData& p, ResultStore& r, Report& out) {
  const int n = std::clamp<Int>(p.load.PointCount, 0, kMaxTransientPoints);
  const int nf = n / 2 + 1;
  // the spectrum of a real history: the upper half mirrors the lower one
  for (int k = nf + 1; k <= n; ++k)
    for (int d = 1; d <= kDof; ++d) r.spectrum(k)(d) = std::conj(r.spectrum(n + 2 - k)(d));
  for (int d = 1; d <= kDof && n > 0; ++d) {
    r.spectrum(1)(d).imag(0.0f);                    // the mean is real
    if (n % 2 == 0) r.spectrum(nf)(d).imag(0.0f);   // and so is the Nyquist term of an even length
  }
  std::vector<std::array<Real, kDof>> history(static_cast<size_t>(n));
  std::vector<Complex> work(static_cast<size_t>(n));
  for (int d = 1; d <= kDof; ++d) {
    for (int k = 1; k <= n; ++k) work[static_cast<size_t>(k - 1)] = r.spectrum(k)(d);
    FFT(work.data(), n);
    for (int j = 0; j < n; ++j) history[static_cast<size_t>(j)][static_cast<size_t>(d - 1)] = work[static_cast<size_t>(j)].real();
  }

  const std::string& len = p.labels.length;
  WriteResponseTitle(out, p.run.Title);
  out.Line(fmt::Line("          TRANS. X   TRANS. Y    VERTICAL").X(5).A("ROT ABOUT").X(5).A("ROT ABOUT").X(2)
               .A("TORSIONAL"));
  out.Line(std::string("  TIME    DIRECTION  DIRECTION         ") + "        X AXIS       Y AXIS            ");
  out.Line(fmt::Line().X(12).A("(OUX)      (UOY)       (UOZ)       (EPOX)       (EPOY)").X(5).A(" (EPOZ)"));
  out.Line(fmt::Line().X(14).A(len, 2).X(9).A(len, 2).X(10).A(len, 2).X(9).A("rad").X(10).A("rad").X(9).A("rad"));
  out.Line(fmt::Line("-------   ---------   ---------   --------").X(3).A("  ---------").X(3).A(" --------- ").X(2)
               .A("--------"));
  out.Blank();
  r.time.assign(static_cast<size_t>(n), 0.0f);
  r.history = history;
  Real t = 0.0f;
  for (int j = 0; j < n; ++j) {
    t += p.load.TimeStep;  // accumulated: the first row stands at one time step
    r.time[static_cast<size_t>(j)] = t;
    fmt::Line row;
    row.F(t, 7, 2).X(2);
    for (int d = 0; d < kDof; ++d) row.X(1).PE(history[static_cast<size_t>(j)][static_cast<size_t>(d)], 11, 4);
    out.Line(row);
  }
}

}  // namespace terva
