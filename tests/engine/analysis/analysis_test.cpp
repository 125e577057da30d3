// The analysis of half-space and stratum footings under harmonic load, from
// input text to report and graphic data file, against static solutions, a
// one-degree-of-freedom system solved by hand and the frequency rules.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/engine_run.hpp"

namespace terva::test {
namespace {

constexpr double kG = 120.0 / 32.2 * 500.0 * 500.0;  // shear modulus of the test soil

// A circular footing of radius 5 on the test half-space, centre of gravity at the base.
std::string HalfSpace(const std::string& mass, double nu, double damping, const std::string& frequencies,
                      const std::string& loads, bool matrix = true) {
  std::ostringstream s;
  s << (matrix ? "MATRIX\n" : "") << "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=" << mass
    << "\nCONSTANTS=0,0,0\nSOIL\nCONSTANTS\n0\nBELOW=500,120," << nu << "," << damping
    << "\nLOAD=HARMONIC\nCONSTANTS\nNONQUADRATIC\n" << frequencies << "\n" << loads << "\nRUN\n";
  return s.str();
}

// The first value printed after a label in the report, from the given line on.
double ValueAfter(const std::string& report, const std::string& label, size_t* from = nullptr) {
  const size_t start = from ? *from : 0;
  const size_t at = report.find(label, start);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << label;
    return NAN;
  }
  if (from) *from = at + label.size();
  return std::stod(report.substr(at + label.size(), 20));
}

// Rows of the response table: Hz, rad/s, six amplitudes.
std::vector<std::vector<double>> ResponseRows(const std::string& report) {
  std::vector<std::vector<double>> rows;
  const size_t table = report.rfind("  ------  -------");
  if (table == std::string::npos) return rows;
  std::istringstream in(report.substr(report.find('\n', table) + 1));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> v;
    double x;
    while (fields >> x) v.push_back(x);
    if (v.size() == 8) rows.push_back(v);
  }
  return rows;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

TEST(Analysis, RigidDiscOnAnElasticHalfSpaceHasTheStaticStiffness) {
  for (double nu : {0.25, 0.45}) {
    const EngineRun run = RunEngine(HalfSpace("0,0,0,0,0,0,0", nu, 0.0, "0,0,1", "0,0,1000,0,0,0"));
    ASSERT_EQ(run.code, 0) << run.report;
    const double R = 5.0;
    EXPECT_NEAR(ValueAfter(run.report, "(KXX) ..") / (8 * kG * R / (2 - nu)), 1.0, 1e-4) << nu;
    EXPECT_NEAR(ValueAfter(run.report, "(KWW)  ...") / (4 * kG * R / (1 - nu)), 1.0, 1e-4) << nu;
    EXPECT_NEAR(ValueAfter(run.report, "(KPPX) ..............") / (8 * kG * R * R * R / (3 * (1 - nu))), 1.0, 1e-4);
    EXPECT_NEAR(ValueAfter(run.report, "(KZT)  ................") / (16 * kG * R * R * R / 3), 1.0, 1e-4);
    // a massless footing answers a static-like load with load / stiffness
    const auto rows = ResponseRows(run.report);
    ASSERT_EQ(rows.size(), 1u) << run.report;
    EXPECT_NEAR(rows[0][4] / (1000.0 / (4 * kG * R / (1 - nu))), 1.0, 1e-4);
    EXPECT_EQ(rows[0][2], 0.0) << "no horizontal motion";
  }
}

TEST(Analysis, DampingConstantsAreTakenAtSeventyPerCent) {
  // at a very low frequency the vertical damping is the material part only
  const double nu = 0.3, D = 0.05, R = 5.0;
  const EngineRun run = RunEngine(HalfSpace("0,0,0,0,0,0,0", nu, D, "0.0001,0.0001,1", "0,0,1000,0,0,0"));
  const double omega = 0.0001;
  EXPECT_NEAR(ValueAfter(run.report, "(CWW)  ...") / (0.7 * kG * R * 4 / (1 - nu) * D / omega), 1.0, 1e-3);
  // the factor also holds when the constants are not printed
  const EngineRun quiet =
      RunEngine(HalfSpace("0,0,0,0,0,0,0", nu, D, "0.0001,0.0001,1", "0,0,1000,0,0,0", false));
  EXPECT_EQ(quiet.report.find("STIFFNESS CONSTANTS"), std::string::npos);
  EXPECT_EQ(ResponseRows(quiet.report), ResponseRows(run.report));
}

TEST(Analysis, MassOnVerticalSpringAndDashpot) {
  // the vertical mode alone: x = P / |K - M ω² + i ω C|, with K and C as reported
  const double M = 20000.0, P = 1000.0;
  const EngineRun run = RunEngine(HalfSpace("20000,1E9,1E9,1E9,0,0,0", 0.3, 0.05, "100,10,10", "0,0,1000,0,0,0"));
  ASSERT_EQ(run.code, 0) << run.report;
  const auto rows = ResponseRows(run.report);
  ASSERT_EQ(rows.size(), 10u);
  size_t at = 0;
  double peak = 0;
  for (const auto& row : rows) {
    const double omega = row[1];
    const double K = ValueAfter(run.report, "(KWW)  ...", &at);
    const double C = ValueAfter(run.report, "(CWW)  ...", &at);
    const double expected = P / std::hypot(K - M * omega * omega, omega * C);
    EXPECT_NEAR(row[4] / expected, 1.0, 2e-4) << "at " << omega << " rad/s";
    peak = std::max(peak, row[4]);
  }
  // the resonance lies in the range: the peak stands well above the static response
  EXPECT_GT(peak, 1.5 * rows[0][4]);
}

TEST(Analysis, FrequencyRules) {
  const std::string load = "0,0,1000,0,0,0";
  // minimum 0 and step 0: step 1, the first point solved at 0.0001 but printed at 0
  const EngineRun zero = RunEngine(HalfSpace("1,1,1,1,0,0,0", 0.3, 0.05, "2,0,0", load));
  EXPECT_TRUE(HasBlock(zero.report, {"", "", " FREQUENCY  -    0.0000 Hz (  0.0001 rad./sec.)"})) << zero.report;
  auto rows = ResponseRows(zero.report);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0], 0.0);
  EXPECT_EQ(rows[2][1], 2.0);
  // a step that does not divide the range: NINT(4.333) = 4 points
  rows = ResponseRows(RunEngine(HalfSpace("1,1,1,1,0,0,0", 0.3, 0.05, "10,0,3", load)).report);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3][1], 9.0);
  // 62.8 rad/s prints as 10.00 Hz; 6.28 rad/s as 1.0000 Hz in the constants block
  const EngineRun hz = RunEngine(HalfSpace("1,1,1,1,0,0,0", 0.3, 0.05, "62.8,6.28,56.52", load));
  rows = ResponseRows(hz.report);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][0], 10.0);
  EXPECT_NE(hz.report.find(" FREQUENCY  -    1.0000 Hz (  6.2800 rad./sec.)"), std::string::npos);
  // maximum below minimum: only the count, the table header without rows
  const EngineRun none = RunEngine(HalfSpace("1,1,1,1,0,0,0", 0.3, 0.05, "1,10,1", load));
  EXPECT_EQ(none.code, 0);
  EXPECT_EQ(Lines(none.graphic), std::vector<std::string>{"          -8"});
  EXPECT_NE(none.report.find("FOOTING RESPONSE AMPLITUDES"), std::string::npos);
  EXPECT_TRUE(ResponseRows(none.report).empty());
  // more points than the result arrays hold are refused before the loop
  const EngineRun many = RunEngine(HalfSpace("1,1,1,1,0,0,0", 0.3, 0.05, "1025,1,1", load));
  EXPECT_TRUE(HasBlock(many.report, {"", "", " *** NUMBER OF FREQUENCIES (      1025) EXCEEDS THE CAPACITY OF 1024 ***",
                                     " ***PROGRAM WILL NOT EXECUTE***"}))
      << many.report;
  EXPECT_EQ(many.code, 3);  // nothing was analysed
  EXPECT_EQ(many.graphic, "");
  EXPECT_EQ(ResponseRows(RunEngine(HalfSpace("1,1,1,1,0,0,0", 0.3, 0.05, "1024,1,1", load, false)).report).size(),
            1024u);
}

TEST(Analysis, TransientFrequencyCount) {
  const EngineRun run = RunEngine(
      "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,1,1,1,0,0,0\nCONSTANTS=0,0,0\nSOIL\nCONSTANTS\n0\n"
      "BELOW=500,120,0.3,0.05\nLOAD=TRANSIENT\nCONSTANTS\n7,0.01,1\n3\n7(1.0)\nRUN\n");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(Lines(run.graphic).front(), "           4");
}

TEST(Analysis, InadmissibleValues) {
  const EngineRun gravity = RunEngine(
      "GRAVITY=0\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,1,1,1,0,0,0\nCONSTANTS=0,0,0\nSOIL\nCONSTANTS\n0\n"
      "BELOW=500,120,0.3,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n10,1,1\n0,0,1,0,0,0\nRUN\n");
  EXPECT_TRUE(HasBlock(gravity.report, {"", "", " *** INADMISSABLE VALUE FOR GRAVITATIONAL CONSTANT ( 0.000E+00) ***",
                                        " ***PROGRAM WILL NOT EXECUTE***"}))
      << gravity.report;
  EXPECT_EQ(gravity.graphic, "");
  EXPECT_EQ(gravity.code, 3);
  const EngineRun velocity = RunEngine(
      "MATRIX\nGRAVITY=9.81\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,1,1,1,0,0,0\nCONSTANTS=0,0,0\nSOIL\nCONSTANTS\n0\n"
      "BELOW=-50,20,0.3,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n10,1,1\n0,0,1,0,0,0\nRUN\n");
  EXPECT_TRUE(HasBlock(velocity.report, {"", "", " ***INADMISSABLE VALUE FOR SHEAR WAVE VELOCITY OF HALF-SPACE (-5.00E+01) ***",
                                         " ***PROGRAM WILL NOT EXECUTE***"}))
      << velocity.report;
  EXPECT_EQ(Lines(velocity.graphic), std::vector<std::string>{"          10"});
  EXPECT_EQ(velocity.code, 3);
  // SOIL misspelt: the half-space keeps the velocity 0 it started with, and is refused the same way
  const EngineRun unset = RunEngine(
      "GRAVITY=9.81\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,1,1,1,0,0,0\nCONSTANTS=0,0,0\nSIOL\nCONSTANTS\n0\n"
      "BELOW=500,20,0.3,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n10,1,1\n0,0,1,0,0,0\nRUN\n");
  EXPECT_NE(unset.report.find(" ***PROGRAM WILL NOT EXECUTE***"), std::string::npos) << unset.report;
  EXPECT_EQ(unset.code, 3);
}

TEST(Analysis, GraphicDataFile) {
  const EngineRun run = RunEngine(HalfSpace("100,1000,1000,1000,0,0,0", 0.3, 0.05, "20,10,10", "1000,0,0,0,0,0"));
  const auto lines = Lines(run.graphic);
  ASSERT_EQ(lines.size(), 1u + 4u + 2u);
  EXPECT_EQ(lines[0], "           2");
  // stiffness then damping line per frequency, nine E10.3 fields each
  EXPECT_EQ(lines[1].size(), 99u);
  EXPECT_EQ(lines[1].substr(0, 11), "  0.100E+02");
  EXPECT_EQ(lines[2].substr(0, 11), "  0.100E+02");
  EXPECT_EQ(lines[3].substr(0, 11), "  0.200E+02");
  // response lines: ω (F7.2) and six amplitudes (1PE11.4)
  EXPECT_EQ(lines[5].size(), 1u + 7u + 2u + 6u * 12u);
  EXPECT_EQ(lines[5].substr(0, 8), "   10.00");
  EXPECT_EQ(lines[6].substr(0, 8), "   20.00");
  // the same amplitudes as the report's table
  const auto rows = ResponseRows(run.report);
  std::istringstream last(lines[6]);
  std::vector<double> v;
  double x;
  while (last >> x) v.push_back(x);
  ASSERT_EQ(v.size(), 7u);
  for (int d = 0; d < 6; ++d) EXPECT_EQ(v[static_cast<size_t>(d + 1)], rows[1][static_cast<size_t>(d + 2)]);
}

}  // namespace
}  // namespace terva::test
