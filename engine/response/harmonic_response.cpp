#include "engine/response/harmonic_response.hpp"

#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/elementary.hpp"
#include "engine/numerics/solvers.hpp"

namespace terva {

void SubtractMass(ComplexMatrix6& A, Real omega, const MassConstants& m) {
  const Real s = omega * omega;
  auto addReal = [&](int i, int j, Real v) { A(i, j) = Complex(A(i, j).real() + v, A(i, j).imag()); };
  addReal(1, 1, -s * m.FootingMass);
  addReal(2, 2, -s * m.FootingMass);
  addReal(3, 3, -s * m.FootingMass);
  addReal(4, 4, -s * m.MassMomentX);
  addReal(5, 5, -s * m.MassMomentY);
  addReal(6, 6, -s * m.MassMomentZ);
  addReal(4, 5, s * m.ProductXY);
  addReal(5, 4, s * m.ProductXY);
  addReal(4, 6, s * m.ProductXZ);
  addReal(6, 4, s * m.ProductXZ);
  addReal(5, 6, s * m.ProductYZ);
  addReal(6, 5, s * m.ProductYZ);
}

bool SolveHarmonic(const ProblemData& p, ComplexMatrix6& A, Real omega, int k, FrequencyResponse& r, Report& out) {
  SubtractMass(A, omega, p.mass);
  Vector6<Complex> b;
  const Real scale = p.status.HarmonicKind == kQuadratic ? omega * omega : 1.0f;  // quadratic: coefficient × ω²
  for (int d = 1; d <= kDof; ++d) b(d) = Complex(p.load.LoadAmplitude(d) * scale, 0.0f);
  if (!SolveFootingSystem(A, b, out)) {
    r.MarkUnknown();  // b still holds the loads: they are no displacements
    return false;
  }
  Vector6<Complex> amplitude;
  for (int d = 1; d <= kDof; ++d) amplitude(d) = Abs(b(d));
  if (!CheckResponse(out, k, omega, amplitude, r)) return false;
  r.kind = FrequencyResponse::Kind::kAmplitude;
  for (int d = 1; d <= kDof; ++d) {
    r.amplitude[static_cast<size_t>(d - 1)] = amplitude(d).real();
    r.motion[static_cast<size_t>(d - 1)] = b(d);
  }
  return true;
}

bool SolveFootingSystem(const ComplexMatrix6& A, Vector6<Complex>& b, Report& out) {
  std::array<Complex, 36 + 6> wa{};
  std::array<Real, 6> wk{};
  int ier = 0;
  LEQ2C(A.data(), 6, 6, b.data(), 1, 6, 0, wa.data(), wk.data(), ier, out);
  return ier != 129;  // 130: the refinement did not settle; its last iterate stands
}

void ReportNotFinite(Report& out, std::string_view what, int k, Real omega, std::string_view terms) {
  out.Blank();
  out.Line(fmt::Line("*** ").A(what).A(" NOT FINITE AT FREQUENCY").I(k, 5).A(" (").F(Hz(omega), 10, 4).A(" Hz) -")
               .A(terms).A(" ***"));
}

bool CheckResponse(Report& out, int k, Real omega, const Vector6<Complex>& response, FrequencyResponse& r) {
  std::string terms;
  for (int d = 1; d <= kDof; ++d)
    if (!Finite(response(d))) terms.append(" ").append(kDofNames[d - 1]);
  if (terms.empty()) return true;
  ReportNotFinite(out, "RESPONSE", k, omega, terms);
  r.MarkUnknown();
  return false;
}

void WriteResponseTitle(Report& out, std::string_view title) {
  WritePageHeader(out, 2, title);
  out.Blank(2);
  out.Line(fmt::Line().X(23).A("FOOTING RESPONSE AMPLITUDES"));
  out.Line(fmt::Line().X(23).Repeat('-', 27));
  out.Blank();
}

void PrintHarmonicResults(const ProblemData& p, const ResultStore& r, Report& out, std::FILE* graphic) {
  const std::string& len = p.labels.length;
  WriteResponseTitle(out, p.run.Title);
  out.Line(std::string("   FREQ.    FREQ.     TRANS. X    TRANS. Y    VERTICAL") +
           "   ROT ABOUT   ROT ABOUT   TORSIONAL");
  out.Line(std::string("    Hz    rad/sec    DIRECTION   DIRECTION            ") +
           "     X AXIS       Y AXIS            ");
  out.Line(std::string("                       (UOX)       (UOY)       (UOZ)  ") +
           "     (EPOX)      (EPOY)      (EPOZ)");
  out.Line(fmt::Line().X(25).A(len, 2).X(10).A(len, 2).X(10).A(len, 2).X(10).A("rad").X(9).A("rad").X(9).A("rad"));
  out.Line(std::string("  ------  -------    ---------   ---------   ---------") +
           "   ---------   ---------   ---------");
  out.Blank();
  for (int k = 1; k <= r.count; ++k) {
    const Real omega = r.printedOmega(k);
    fmt::Line row;
    row.X(1).F(Hz(omega), 7, 2).X(2).F(omega, 7, 2).X(2);
    fmt::Line record(" ");
    record.F(omega, 7, 2).X(2);
    for (int d = 1; d <= kDof; ++d) {
      row.X(1).PE(r.amplitude(d)(k), 11, 4);
      record.X(1).PE(r.amplitude(d)(k), 11, 4);
    }
    out.Line(row);
    if (graphic) std::fprintf(graphic, "%s\n", record.str().c_str());
  }
}

}  // namespace terva
