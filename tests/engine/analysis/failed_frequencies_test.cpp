// Frequencies where the analysis fails: a footing whose equations of motion are
// singular (no soil weight, no mass) or whose impedance overflows. Their
// response is unknown and prints as asterisks - never the loads in place of
// displacements, never NaN - and the report ends with the count of them, for
// the runner to find.
#include <gtest/gtest.h>

#include <sstream>

#include "support/engine_run.hpp"

namespace terva::test {
namespace {

// A circular half-space footing; unitWeight 0 and a zero mass make every
// frequency's system singular.
std::string Footing(const std::string& mass, const std::string& below) {
  return "MATRIX\nGRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=" + mass +
         "\nCONSTANTS=0,0,0\nSOIL\nCONSTANTS\n0\nBELOW=" + below + "\n";
}
const std::string kSingular = Footing("0,0,0,0,0,0,0", "500,0,0.3,0.05");
const std::string kHarmonic = "LOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n20,10,5\n100,0,1000,0,0,0\nRUN\n";

std::string LastLine(const EngineRun& run) {
  const auto lines = run.lines();
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (!it->empty()) return *it;
  return "";
}

// The lines after the one that contains the marker, up to the first empty line after rows began.
std::vector<std::string> RowsAfter(const std::string& text, const std::string& marker) {
  std::vector<std::string> rows;
  std::istringstream in(text.substr(text.find(marker)));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (line.empty() && !rows.empty()) break;
    if (!line.empty()) rows.push_back(line);
  }
  return rows;
}

// Six response fields of 1X, 1PE11.4 that hold no number.
std::string UnknownFields() {
  std::string s;
  for (int d = 0; d < 6; ++d) s += " " + std::string(11, '*');
  return s;
}

void ExpectNoNumberNamedNaN(const EngineRun& run) {
  for (const char* bad : {"NaN", "nan", "Inf", "inf"}) {
    EXPECT_EQ(run.report.find(bad), std::string::npos) << bad;
    EXPECT_EQ(run.graphic.find(bad), std::string::npos) << bad;
  }
}

TEST(FailedFrequencies, SingularHarmonicSystemShowsNoLoadsAsDisplacements) {
  const EngineRun run = RunEngine(kSingular + kHarmonic);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(CountLines(run.report, " ERROR ENCOUNTERED IN LEQ2C SUBROUTINE"), 3);
  const auto rows = RowsAfter(run.report, "  ------  -------");
  ASSERT_EQ(rows.size(), 3u) << run.report;
  for (const std::string& row : rows) {
    EXPECT_EQ(row.substr(20), UnknownFields()) << row;
    EXPECT_EQ(row.find("E+0"), std::string::npos) << "a load printed as a displacement: " << row;
  }
  // the graphic data file: the same unknown amplitudes, not the loads
  std::istringstream graphic(run.graphic);
  std::string line;
  int responseLines = 0;
  while (std::getline(graphic, line))
    if (line.find("*****") != std::string::npos) {
      ++responseLines;
      EXPECT_EQ(line.find("E+0"), std::string::npos) << line;
    }
  EXPECT_EQ(responseLines, 3);
  EXPECT_EQ(LastLine(run), " *** ANALYSIS COMPLETED WITH ERRORS AT 3 FREQUENCIES ***");
  ExpectNoNumberNamedNaN(run);
}

TEST(FailedFrequencies, SingularTransientAndRandomSystems) {
  // one unknown frequency makes every point of the time history unknown
  const EngineRun transient = RunEngine(kSingular + "LOAD=TRANSIENT\nCONSTANTS\n8,0.01,1\n3\n8(1.0)\nRUN\n");
  EXPECT_EQ(transient.code, 0);
  EXPECT_EQ(CountLines(transient.report, " ERROR ENCOUNTERED IN LEQ2C SUBROUTINE"), 5);
  const auto times = RowsAfter(transient.report, "-------   ---------");
  ASSERT_EQ(times.size(), 8u) << transient.report;
  for (const std::string& row : times) EXPECT_EQ(row.substr(10), UnknownFields()) << row;
  EXPECT_EQ(LastLine(transient), " *** ANALYSIS COMPLETED WITH ERRORS AT 5 FREQUENCIES ***");
  ExpectNoNumberNamedNaN(transient);

  // the identity left by the failed inversion is no transfer function: no spectra, no peak factors
  const EngineRun random = RunEngine(kSingular + "LOAD=RANDOM\nCONSTANTS\n30.0,10.0,5,10,1\n3,3,5(2.0)\nRUN\n");
  EXPECT_EQ(random.code, 0);
  EXPECT_EQ(CountLines(random.report, " ERROR ENCOUNTERED IN LEQ2C SUBROUTINE"), 5);
  const auto peaks = RowsAfter(random.report, " ---------   ---------------");
  ASSERT_EQ(peaks.size(), 6u);
  for (const std::string& row : peaks) EXPECT_EQ(row.substr(31), "****         **************") << row;
  const auto spectrum = RowsAfter(random.report, "IN X DIRECTION");
  ASSERT_EQ(spectrum.size(), 5u);
  for (const std::string& row : spectrum)
    EXPECT_EQ(row.substr(37), std::string(12, '*')) << row;
  EXPECT_EQ(LastLine(random), " *** ANALYSIS COMPLETED WITH ERRORS AT 5 FREQUENCIES ***");
  ExpectNoNumberNamedNaN(random);
}

TEST(FailedFrequencies, ImpedanceThatIsNoNumberIsNamedWithItsFrequency) {
  // G = Vs²·γ/g overflows single precision
  const EngineRun run = RunEngine(Footing("100,1000,1000,1000,0,0,0", "1E30,120,0.3,0.05") + kHarmonic);
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.report.find(" *** IMPEDANCE NOT FINITE AT FREQUENCY    2 (    2.3885 Hz) - KXX"), std::string::npos)
      << run.report;
  EXPECT_EQ(LastLine(run), " *** ANALYSIS COMPLETED WITH ERRORS AT 3 FREQUENCIES ***");
  EXPECT_EQ(run.report.find("LEQ2C"), std::string::npos) << "no solve is tried on an impedance that is no number";
  ExpectNoNumberNamedNaN(run);
}

TEST(FailedFrequencies, SoundRunHasNoErrorLine) {
  const EngineRun run = RunEngine(Footing("100,1000,1000,1000,0,0,0", "500,120,0.3,0.05") + kHarmonic);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.report.find("COMPLETED WITH ERRORS"), std::string::npos);
  EXPECT_EQ(run.report.find("NOT FINITE"), std::string::npos);
}

}  // namespace
}  // namespace terva::test
