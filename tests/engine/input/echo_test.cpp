// The data echo of whole example inputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/engine_run.hpp"

namespace terva::test {
namespace {

std::string Example(const std::string& name) { return ReadFile(std::string(TERVA_EXAMPLES_DIR) + "/" + name); }

TEST(Echo, EveryExampleIsAnalysedCleanly) {
  int examples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TERVA_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".tvd") continue;
    ++examples;
    const std::string name = entry.path().filename().string();
    const EngineRun run = RunEngine(ReadFile(entry.path().string()));
    EXPECT_EQ(run.code, 0) << name << "\n" << run.report;
    for (const char* bad : {"ERROR", "UNRECOGNIZED", "PRECEEDED", "INVALID", "NaN", "Inf", "*** "})
      EXPECT_EQ(run.report.find(bad), std::string::npos) << name << ": " << bad;
    // every example reaches its results
    EXPECT_TRUE(run.report.find("FOOTING RESPONSE AMPLITUDES") != std::string::npos ||
                run.report.find("PEAK FACTOR (G)") != std::string::npos)
        << name;
  }
  EXPECT_GE(examples, 10);
}

TEST(Echo, TransientAndRandomExamplesReachTheirTables) {
  const EngineRun transient = RunEngine(Example("transient.tvd"));
  EXPECT_NE(transient.report.find("  TIME    DIRECTION  DIRECTION"), std::string::npos);
  EXPECT_NE(transient.report.find("\n    2.56 "), std::string::npos) << "256 rows, the last at 2.56 s";
  EXPECT_EQ(transient.graphic, "         129\n");
  const EngineRun random = RunEngine(Example("random.tvd"));
  EXPECT_NE(random.report.find("PEAK FACTOR (G)"), std::string::npos);
  EXPECT_NE(random.report.find("RESPONSE SPECTRA CURVE OF ROTATION"), std::string::npos);
  EXPECT_EQ(random.report.find("NOT DEFINED"), std::string::npos);
}

// The data echo of the pile group example, checked line by line against the
// echo layouts when it was written.
TEST(Echo, PileGroupReadsAsLaidOut) {
  const EngineRun run = RunEngine(Example("pile-group.tvd"));
  const std::string expected = ReadFile(std::string(TERVA_TEST_DATA_DIR) + "/pile-group.expected.tvo");
  ASSERT_FALSE(expected.empty());
  // the echo ends where the results page's banner begins
  const std::string banner = "\n\n\n " + std::string(49, '*');
  const size_t results = run.report.find(banner, 1);
  ASSERT_NE(results, std::string::npos);
  EXPECT_EQ(run.report.substr(0, results + 1), expected);
}

TEST(Echo, NoEchoPrintsNoTables) {
  std::string input = Example("half-space.tvd");
  input.replace(input.find("\nECHO\n"), 6, "\n");
  input = "NOECHO\n" + input;
  const EngineRun run = RunEngine(input);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.report.find("MASS CONSTANTS"), std::string::npos);
  EXPECT_EQ(run.report.find("DATA ECHO"), std::string::npos);
  EXPECT_EQ(run.report.find("SOIL CONSTANTS"), std::string::npos);
}

}  // namespace
}  // namespace terva::test
