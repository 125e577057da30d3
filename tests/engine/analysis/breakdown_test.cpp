// Where the physics breaks down (a zero velocity, length, area or spacing, a
// negative modulus, values at the ends of single precision) the analysis says
// so in the report, answers with zeros or prints asterisks; it never prints a
// NaN or an infinity, and a run with failed frequencies says so on its last line.
#include <gtest/gtest.h>

#include <regex>

#include "support/engine_run.hpp"

namespace terva::test {
namespace {

std::string Example(const std::string& name) { return ReadFile(std::string(TERVA_EXAMPLES_DIR) + "/" + name); }

// Every number of the input, in turn, replaced by each of the given values.
class NumbersReplaced : public ::testing::TestWithParam<const char*> {};

TEST_P(NumbersReplaced, NoNumberBreaksTheReport) {
  const std::string input = Example(GetParam());
  static const std::regex number(R"((^|[=, ])(-?[0-9]+\.?[0-9]*(E[-+]?[0-9]+)?)(?=[, \n$]))");
  std::vector<std::pair<size_t, size_t>> spans;
  for (auto it = std::sregex_iterator(input.begin(), input.end(), number); it != std::sregex_iterator(); ++it)
    spans.emplace_back(static_cast<size_t>(it->position(2)), static_cast<size_t>(it->length(2)));
  ASSERT_GT(spans.size(), 20u);
  int runs = 0;
  for (const auto& [at, length] : spans) {
    for (const char* value : {"0", "-1", "1E30", "1E-30", "3E38"}) {
      std::string changed = input;
      changed.replace(at, length, value);
      const EngineRun run = RunEngine(changed);
      ++runs;
      ASSERT_TRUE(run.code == 0 || run.code == 2 || run.code == 3) << changed;
      for (const char* bad : {"NaN", "nan", "Inf", "inf"}) {
        ASSERT_EQ(run.report.find(bad), std::string::npos) << bad << " with " << value << " at " << at << "\n" << changed;
        ASSERT_EQ(run.graphic.find(bad), std::string::npos) << bad << " in the graphic data\n" << changed;
      }
      // the runner looks for the count of failed frequencies on the last line only
      const size_t errors = run.report.find("*** ANALYSIS COMPLETED WITH ERRORS AT ");
      if (errors != std::string::npos) {
        ASSERT_EQ(run.code, 0);
        ASSERT_EQ(run.report.find_first_not_of(" \n", run.report.find('\n', errors)), std::string::npos)
            << "not the last line\n" << changed;
      }
    }
  }
  EXPECT_GT(runs, 40);
}

INSTANTIATE_TEST_SUITE_P(Examples, NumbersReplaced,
                         ::testing::Values("single-pile.tvd", "parabolic-pile.tvd", "pile-cap-embedded.tvd",
                                           "multilayer.tvd", "half-space.tvd", "stratum.tvd", "pile-group.tvd",
                                           "pile-group-3x3.tvd", "random.tvd", "transient.tvd"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
}  // namespace terva::test
