// LOAD section: harmonic, transient and random loads. Transient load histories
// are turned into their spectra as they are read.
#include <algorithm>
#include <vector>

#include "engine/input/keywords.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"
#include "engine/input/section_readers.hpp"
#include "engine/numerics/dft.hpp"

namespace terva {

using detail::Echo;
using detail::EchoHeading;
using detail::Fatal;
using detail::ReadNumbers;

namespace {

// Ends the load input: the problem is not executed.
void LoadError(ReaderContext& ctx) {
  ctx.problem.run.InputErrorIndicator = true;
  ctx.report.Blank(2);
  ctx.report.Line("ERROR ENCOUNTERED IN LOAD DESCRIPTION");
  ctx.report.Line("        - WILL CONTINUE TO PROCESS DATA");
  ctx.report.Line("     - CANNOT EXECUTE THIS PROBLEM SET");
}

// "( code ) CANNOT BE / LESS THAN 1 OR EXCEED A VALUE OF 6"
void OutOfRange(ReaderContext& ctx, std::string_view what, Int value) {
  ctx.report.Blank();
  ctx.report.Line(fmt::Line("ERROR - ").A(what).A(" ( ").I(value, 3).A(" ) CANNOT BE "));
  ctx.report.Line(fmt::Line().X(8).A("LESS THAN 1 OR EXCEED A VALUE OF 6"));
  LoadError(ctx);
}

void CapacityError(ReaderContext& ctx, int capacity) {
  ctx.report.Blank(2);
  ctx.report.Line(fmt::Line("ERROR - NUMBER OF POINTS EXCEEDS").I(capacity, 5));
  LoadError(ctx);
}

bool ReadHarmonic(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  LoadDescription& l = p.load;
  KeywordRecord kw;
  ctx.ReadKeyword(kw);
  const int kind = LookupKeyword(kw.Key(), &ctx.report);
  if (kind == kNonQuadraticKey) p.status.HarmonicKind = kNonQuadratic;
  else if (kind == kQuadraticKey) p.status.HarmonicKind = kQuadratic;
  if (!ReadNumbers(ctx, {&l.FreqMax, &l.FreqMin, &l.FreqStep, &l.LoadAmplitude(1), &l.LoadAmplitude(2),
                    &l.LoadAmplitude(3), &l.LoadAmplitude(4), &l.LoadAmplitude(5), &l.LoadAmplitude(6)}))
    return false;
  if (!Echo(ctx)) return true;
  const UnitLabels& u = p.labels;
  const bool quadratic = p.status.HarmonicKind == kQuadratic;
  EchoHeading(ctx, quadratic ? "HARMONIC LOAD, QUADRATIC" : "HARMONIC LOAD, NON QUADRATIC");
  ctx.report.Blank();
  ctx.report.Line(fmt::Line("MAXIMUM FREQUENCY ..............").E(Hz(l.FreqMax), 10, 3).A(" Hz"));
  ctx.report.Line(fmt::Line("MINIMUM FREQUENCY ..............").E(Hz(l.FreqMin), 10, 3).A(" Hz"));
  ctx.report.Line(fmt::Line("STEP FREQUENCY .................").E(Hz(l.FreqStep), 10, 3).A(" Hz"));
  static constexpr std::string_view kForces[] = {"FORCE IN X-DIRECTION  ..........", "FORCE IN Y-DIRECTION  ..........",
                                                 "FORCE IN Z-DIRECTION  ..........", "MOMENT ABOUT X-AXIS  ...........",
                                                 "MOMENT ABOUT Y-AXIS  ...........", "MOMENT ABOUT Z-AXIS  ..........."};
  static constexpr std::string_view kCoefficients[] = {
      "FORCE COEFF. IN X-DIRECTION  ...", "FORCE COEFF. IN Y-DIRECTION  ...", "FORCE COEFF. IN Z-DIRECTION  ...",
      "MOMENT COEFF. ABOUT X-AXIS  ....", "MOMENT COEFF. ABOUT Y-AXIS  ....", "MOMENT COEFF. ABOUT Z-AXIS  ...."};
  for (int d = 1; d <= kDof; ++d) {
    const std::string_view label = quadratic ? kCoefficients[d - 1] : kForces[d - 1];
    const std::string& unit = quadratic ? (d <= 3 ? u.massLength : u.massMoment) : (d <= 3 ? u.force : u.moment);
    ctx.report.Line(fmt::Line(label).E(l.LoadAmplitude(d), 10, 3).X(1).A(unit));
  }
  return true;
}

void ReadTransient(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  LoadDescription& l = p.load;
  Real points = 0, step = 0, loads = 0;
  if (!ReadNumbers(ctx, {&points, &step, &loads})) return LoadError(ctx);
  const Int n = RoundCount(points);
  if (n > kMaxTransientPoints) return CapacityError(ctx, kMaxTransientPoints);
  l.PointCount = n;
  l.TimeStep = step;
  l.LoadCount = RoundCount(loads);
  const int rows = std::max<Int>(n, 0);
  for (int k = 1; k <= rows; ++k) l.TransientSpectrum(k) = {};
  l.LoadActs = {};

  const UnitLabels& u = p.labels;
  if (Echo(ctx)) {
    EchoHeading(ctx, "TRANSIENT LOAD");
    ctx.report.Blank();
    ctx.report.Line(fmt::Line("NUMBER OF POINTS  ..............  ").I(n, 4));
    ctx.report.Line(fmt::Line("TIME INTERVAL BETWEEN POINTS  ..").F(step, 7, 3));
    ctx.report.Line(fmt::Line("NUMBER OF LOADS  ...............").I(l.LoadCount, 3));
  }
  static constexpr std::string_view kCodeLines[] = {
      "LOAD TYPE CODE - 1 (FORCE IN X-DIRECTION)", "LOAD TYPE CODE - 2 (FORCE IN Y-DIRECTION)",
      "LOAD TYPE CODE - 3 (FORCE IN Z-DIRECTION)", "LOAD TYPE CODE - 4 (ROTATION ABOUT X-AXIS)",
      "LOAD TYPE CODE - 5 (ROTATION ABOUT Y-AXIS)", "LOAD TYPE CODE - 6 (ROTATION ABOUT Z-AXIS)"};
  std::vector<Complex> work(static_cast<size_t>(rows));
  std::vector<Real> values(static_cast<size_t>(rows));
  for (int h = 1; h <= l.LoadCount; ++h) {
    Real codeValue = 0;
    if (!ctx.ReadNumber(codeValue)) return LoadError(ctx);
    const Int code = RoundCount(codeValue);
    if (code < 1 || code > kDof) return OutOfRange(ctx, "LOAD TYPE INDICATOR", code);
    for (int k = 0; k < rows; ++k)
      if (!ctx.ReadNumber(values[static_cast<size_t>(k)])) return LoadError(ctx);
    if (Echo(ctx)) {
      ctx.report.Blank();
      ctx.report.Line(kCodeLines[code - 1]);
      ctx.report.Blank();
      ctx.report.Line(fmt::Line("LOAD AMPLITUDES").X(1).A(code <= 3 ? u.force : u.moment));
      ctx.report.Blank();
      for (Real v : values) ctx.report.Line(fmt::Line().X(2).PE(v, 10, 3));
    }
    // spectrum of the history: conj(A_k) / N, the normalised forward transform
    for (int k = 0; k < rows; ++k) work[static_cast<size_t>(k)] = Complex(values[static_cast<size_t>(k)], 0.0f);
    FFT(work.data(), rows);
    const Real scale = rows > 0 ? 1.0f / static_cast<Real>(rows) : 0.0f;
    for (int k = 1; k <= rows; ++k) l.TransientSpectrum(k)(code) = std::conj(work[static_cast<size_t>(k - 1)]) * scale;
    l.LoadActs(code) = 1;
    if (ctx.records) ctx.records->histories.push_back({code, 0, values});
  }
  l.TransientPointsValue = static_cast<Real>(n);
  l.TransientHalfPlusTwo = n / 2 + 2;
}

void ReadRandom(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  LoadDescription& l = p.load;
  Real points = 0, spectra = 0;
  if (!ReadNumbers(ctx, {&l.FreqMax, &l.FreqMin, &points, &l.RandomDuration, &spectra})) return LoadError(ctx);
  const Int n = RoundCount(points);
  if (n > kMaxFrequencies) return CapacityError(ctx, kMaxFrequencies);
  l.PointCount = n;
  l.SpectrumCount = RoundCount(spectra);
  l.FreqStep = (l.FreqMax - l.FreqMin) / static_cast<Real>(n > 1 ? n - 1 : 1);
  // the spectral moments integrate by Simpson's rule over at least three points
  if (n < 3) {
    ctx.report.Blank(2);
    ctx.report.Line("ERROR - A RANDOM LOAD NEEDS AT LEAST 3 FREQUENCY POINTS");
    return LoadError(ctx);
  }
  const int rows = std::max<Int>(n, 0);
  for (int k = 1; k <= rows; ++k) l.SpectralMatrix(k) = {};

  const UnitLabels& u = p.labels;
  if (Echo(ctx)) {
    EchoHeading(ctx, "RANDOM LOAD");
    ctx.report.Blank();
    ctx.report.Line(fmt::Line("MAXIMUM FREQUENCY (Hz)  ........").F(Hz(l.FreqMax), 7, 3));
    ctx.report.Line(fmt::Line("MINIMUM FREQUENCY (Hz) .........").F(Hz(l.FreqMin), 7, 3));
    ctx.report.Line(fmt::Line("NUMBER OF POINTS  ..............").I(n, 4));
    ctx.report.Line(fmt::Line("NUMBER OF SPECTRA  .............").I(l.SpectrumCount, 4));
  }
  bool given[kDof][kDof] = {};
  for (int s = 1; s <= l.SpectrumCount; ++s) {
    Real iv = 0, jv = 0;
    if (!ctx.ReadNumber(iv)) return LoadError(ctx);
    const Int i = RoundCount(iv);
    if (i < 1 || i > kDof) return OutOfRange(ctx, "LOCATION OF SPECTRA", i);
    if (!ctx.ReadNumber(jv)) return LoadError(ctx);
    const Int j = RoundCount(jv);
    if (j < 1 || j > kDof) return OutOfRange(ctx, "LOCATION OF SPECTRA", j);
    if (Echo(ctx)) {
      ctx.report.Blank();
      ctx.report.Line(fmt::Line("LOCATION OF SPECTRA  -  ").I(i, 3).X(2).I(j, 3));
      ctx.report.Blank();
      ctx.report.Line(fmt::Line("LOAD AMPLITUDES").X(1).A(u.force));
      ctx.report.Blank();
    }
    for (int k = 1; k <= rows; ++k) {
      Real v = 0;
      if (!ctx.ReadNumber(v)) return LoadError(ctx);
      l.Spectral(k, i, j) = Complex(v, 0.0f);
      if (Echo(ctx)) ctx.report.Line(fmt::Line().X(1).E(v, 10, 3));
    }
    given[i - 1][j - 1] = true;
    if (ctx.records) {
      InputRecords::Series spectrum{i, j, {}};
      for (int k = 1; k <= rows; ++k) spectrum.values.push_back(l.Spectral(k, i, j).real());
      ctx.records->spectra.push_back(std::move(spectrum));
    }
  }
  // Symmetric matrix: a cross-spectrum given at (i, j) also stands at (j, i);
  // when both are given, the one with the larger first index holds for both.
  for (int a = 2; a <= kDof; ++a)
    for (int b = 1; b < a; ++b)
      for (int k = 1; k <= rows; ++k) {
        const Complex v = given[a - 1][b - 1] ? l.Spectral(k, a, b)
                          : given[b - 1][a - 1] ? l.Spectral(k, b, a)
                                                : Complex(0.0f, 0.0f);
        l.Spectral(k, a, b) = v;
        l.Spectral(k, b, a) = v;
      }
}

}  // namespace

void ReadLoad(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  KeywordRecord kw;
  ctx.ReadKeyword(kw);
  switch (LookupKeyword(kw.Key(), &ctx.report)) {
    case kHarmonicKey: p.status.LoadType = EngineLoad::Harmonic; break;
    case kRandomKey: p.status.LoadType = EngineLoad::Random; break;
    case kTransientKey: p.status.LoadType = EngineLoad::Transient; break;
    default:
      Fatal(ctx, "INVALID OR UNRECOGNIZED KEYWORD - " + std::string(kw.Key()) + " FOR LOAD TYPE");
      return;
  }
  ctx.ReadKeyword(kw);
  if (LookupKeyword(kw.Key(), &ctx.report) != kConstantsKey) {
    Fatal(ctx, "'CONSTANT' KEYWORD MISSING FOR LOAD DESCRIPTION");
    return;
  }
  ReadLoadData(ctx);
}

void ReadLoadData(ReaderContext& ctx) {
  switch (ctx.problem.status.LoadType) {
    case EngineLoad::Harmonic:
      if (!ReadHarmonic(ctx)) LoadError(ctx);
      return;
    case EngineLoad::Transient: return ReadTransient(ctx);
    case EngineLoad::Random: return ReadRandom(ctx);
    default: return;
  }
}

}  // namespace terva
