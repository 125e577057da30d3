// Transient and random responses of a footing whose vertical mode is a damped
// oscillator: a rigid disc on an elastic half-space with ν ≥ 0.4 and no
// material damping has, at small a0, the static stiffness and a constant
// radiation dashpot.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <iomanip>
#include <sstream>

#include "engine/response/random_response.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

// ρ = γ/g = 1, G = 1e6, R = 1, ν = 0.45: K = 4GR/(1 − ν); c = 0.7·0.85·K·R/Vs.
constexpr double kStiffness = 4.0e6 / 0.55;
constexpr double kDashpot = 0.7 * 0.85 * kStiffness * 1.0 / 1000.0;
constexpr double kMass = kStiffness / 400.0;  // ω_n = 20 rad/s

std::string Footing(bool matrix) {
  std::ostringstream s;
  s << (matrix ? "MATRIX\n" : "") << "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=1.0\nMASS=" << kMass
    << ",1E6,1E6,1E6,0,0,0\nCONSTANTS=0,0,0\nSOIL\nCONSTANTS\n0\nBELOW=1000,32.2,0.45,0\n";
  return s.str();
}

std::vector<std::vector<double>> TableRows(const std::string& report, const std::string& after, size_t fields) {
  std::vector<std::vector<double>> rows;
  size_t at = report.find(after);
  if (at == std::string::npos) return rows;
  std::istringstream in(report.substr(at));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::vector<double> v;
    double x;
    while (f >> x) v.push_back(x);
    if (v.size() == fields) rows.push_back(v);
    else if (!rows.empty() && !line.empty()) break;
  }
  return rows;
}

TEST(TransientResponse, PeriodicLoadGivesTheSteadyStateOfTheOscillator) {
  const int n = 512, k0 = 16;
  const double dt = 0.01, P = 1000.0;
  const double w0 = 2.0 * 3.1415927 * k0 / (n * dt);
  std::ostringstream load;
  load << std::fixed << std::setprecision(6);
  load << "LOAD=TRANSIENT\nCONSTANTS\n" << n << "," << dt << ",1\n3\n";
  for (int j = 0; j < n; ++j) load << P * std::sin(2.0 * M_PI * k0 * j / n) << "\n";
  const EngineRun run = RunEngine(Footing(false) + "NOECHO\n" + load.str() + "RUN\n");
  ASSERT_EQ(run.code, 0) << run.report.substr(0, 3000);
  EXPECT_EQ(run.graphic, "         257\n") << "Nt = 512 gives 257 frequencies";
  const auto rows = TableRows(run.report, " -------   ---------", 7);
  ASSERT_EQ(rows.size(), static_cast<size_t>(n));
  EXPECT_EQ(rows.front()[0], 0.01);
  EXPECT_EQ(rows.back()[0], 5.12);
  // u(t) = Re(−i·P·H·e^{iωt}) with H = 1/(K − mω² + iωc), the history sampled from t = 0
  const std::complex<double> H = 1.0 / std::complex<double>(kStiffness - kMass * w0 * w0, w0 * kDashpot);
  double peak = 0, worst = 0;
  for (int j = 0; j < n; ++j) {
    const double expected = (std::complex<double>(0, -P) * H * std::exp(std::complex<double>(0, w0 * j * dt))).real();
    peak = std::max(peak, std::fabs(expected));
    worst = std::max(worst, std::fabs(rows[static_cast<size_t>(j)][3] - expected));
  }
  EXPECT_LT(worst / peak, 2e-3) << "peak " << peak;
  for (const auto& row : rows) EXPECT_EQ(row[1], 0.0) << "a vertical load moves nothing sideways";
}

TEST(TransientResponse, ConstantLoadGivesTheStaticResponse) {
  const EngineRun run = RunEngine(Footing(false) + "LOAD=TRANSIENT\nCONSTANTS\n7,0.05,1\n3\n7(2000.0)\nRUN\n");
  ASSERT_EQ(run.code, 0) << run.report;
  const auto rows = TableRows(run.report, " -------   ---------", 7);
  ASSERT_EQ(rows.size(), 7u) << "an odd number of points is mirrored completely";
  for (const auto& row : rows) EXPECT_NEAR(row[3] / (2000.0 / kStiffness), 1.0, 1e-4);
  EXPECT_NEAR(rows[6][0], 0.35, 1e-9);
}

TEST(RandomResponse, WhiteSpectrumGivesTheOscillatorVariance) {
  const int n = 1023;
  const double S0 = 1.0e6, T = 60.0;
  std::ostringstream load;
  load << std::fixed << std::setprecision(3);
  load << "LOAD=RANDOM\nCONSTANTS\n60.0,0.0," << n << "," << T << ",1\n3,3\n";
  for (int k = 0; k < n; ++k) load << S0 << "\n";
  const EngineRun run = RunEngine(Footing(false) + "NOECHO\n" + load.str() + "RUN\n");
  ASSERT_EQ(run.code, 0) << run.report.substr(0, 2000);
  // m0 = ∫ S0 |H|² dω = π·S0/(2·k·c), m2/m0 = k/m
  const double m0 = M_PI * S0 / (2.0 * kStiffness * kDashpot);
  const double nu = 20.0 / (2.0 * M_PI);
  const double q = std::sqrt(2.0 * std::log(nu * T));
  const double g = q + 0.5772 / q;
  const auto rows = TableRows(run.report, " ---------   ---------------", 3);
  ASSERT_EQ(rows.size(), 6u) << run.report.substr(run.report.find("DEGREE OF"), 800);
  EXPECT_NEAR(rows[2][1], g, 0.05);
  EXPECT_NEAR(rows[2][2] / (g * std::sqrt(m0)), 1.0, 0.02);
  for (int d : {0, 1, 3, 4, 5}) {
    EXPECT_EQ(rows[static_cast<size_t>(d)][1], 0.0) << "no load, no peak factor";
    EXPECT_EQ(rows[static_cast<size_t>(d)][2], 0.0);
  }
  const auto translation = TableRows(run.report, "IN X DIRECTION", 2);
  EXPECT_EQ(translation.size(), static_cast<size_t>(n));
}

TEST(RandomResponse, CrossSpectraAndZeroLoads) {
  // a zero spectrum: g = 0 and no maximum, everywhere
  std::ostringstream load;
  load << "LOAD=RANDOM\nCONSTANTS\n30.0,10.0,5,10,1\n1,5,5(0.0)\nRUN\n";
  const EngineRun run = RunEngine(Footing(false) + load.str());
  ASSERT_EQ(run.code, 0) << run.report;
  const auto rows = TableRows(run.report, " ---------   ---------------", 3);
  ASSERT_EQ(rows.size(), 6u);
  for (const auto& row : rows) {
    EXPECT_EQ(row[1], 0.0);
    EXPECT_EQ(row[2], 0.0);
  }
  EXPECT_TRUE(HasBlock(run.report, {"", "", "               RESPONSE SPECTRA CURVE OF ROTATION",
                                    "               " + std::string(34, '-'),
                                    "               FREQUENCY              ABOUT Y AXIS", "",
                                    "                 10.00               0.000000E+00"}))
      << run.report;
}

TEST(RandomResponse, ShortDurationLeavesThePeakFactorUndefined) {
  std::ostringstream load;
  load << "LOAD=RANDOM\nCONSTANTS\n60.0,0.0,61,0.01,1\n3,3,61*\n";
  // 61 ordinates of 1.0
  std::string text = load.str();
  text.replace(text.find("61*"), 3, "");
  for (int k = 0; k < 61; ++k) text += "1.0\n";
  const EngineRun run = RunEngine(Footing(false) + text + "RUN\n");
  ASSERT_EQ(run.code, 0) << run.report;
  EXPECT_NE(run.report.find("* PEAK FACTOR NOT DEFINED"), std::string::npos) << run.report;
  EXPECT_EQ(run.report.find("NaN"), std::string::npos);
}

TEST(RandomResponse, SimpsonWeights) {
  const Real ones[5] = {1, 1, 1, 1, 1};
  EXPECT_FLOAT_EQ(SimpsonMoment(ones, 5, 0.5f), 0.5f / 3.0f * 12.0f);  // 1 4 2 4 1
  const Real even[4] = {1, 1, 1, 1};
  EXPECT_FLOAT_EQ(SimpsonMoment(even, 4, 1.0f), 1.0f / 3.0f * 8.0f);  // 1 4 2 1: the last weight is 1
  EXPECT_EQ(SimpsonMoment(ones, 2, 1.0f), 0.0f);
}

}  // namespace
}  // namespace terva::test
