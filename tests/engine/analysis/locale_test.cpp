// The engine's numbers do not depend on the process's locale: a caller of
// ITERVA whose process runs a comma-decimal locale (the desktop program after
// Qt has set the locale from the environment, any other host program) gets
// the C locale's report, graphic data file and results file byte for byte.
// Under such a locale strtod stops at the "." of "32.2" and reads 32, and
// printf writes "0,35": either would change these files.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#include "support/comma_locale.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

// The examples that have reference reports: every foundation type and load.
std::vector<std::string> ReferenceExamples() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(TERVA_TEST_DATA_DIR "/reference")) {
    if (entry.path().extension() == ".tvo") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Example(const std::string& name) { return ReadFile(TERVA_EXAMPLES_DIR "/" + name + ".tvd"); }

// Empty when the texts are equal; otherwise the first line that differs.
std::string FirstDifference(const std::string& expected, const std::string& got) {
  if (expected == got) return {};
  EngineRun a, b;
  a.report = expected;
  b.report = got;
  const auto x = a.lines(), y = b.lines();
  for (size_t i = 0; i < std::max(x.size(), y.size()); ++i) {
    const std::string e = i < x.size() ? x[i] : "(end)", g = i < y.size() ? y[i] : "(end)";
    if (e != g) return "line " + std::to_string(i + 1) + ": expected \"" + e + "\", got \"" + g + "\"";
  }
  return "they differ at their ends";
}

std::string CurrentLocale() {
  const char* name = std::setlocale(LC_ALL, nullptr);
  return name ? name : "";
}

class CommaLocaleRuns : public ::testing::TestWithParam<std::string> {};

TEST_P(CommaLocaleRuns, EveryReferenceExampleGivesTheCLocalesFiles) {
  CommaLocales locales({GetParam()});
  if (locales.Missing()) GTEST_SKIP() << "skipped: " << locales.Why();
  ASSERT_TRUE(locales.Ready()) << locales.Why();
  ASSERT_EQ(CurrentLocale(), "C");

  const std::vector<std::string> examples = ReferenceExamples();
  ASSERT_GE(examples.size(), 10u) << "reference reports missing";
  for (const std::string& name : examples) {
    SCOPED_TRACE(name);
    const std::string input = Example(name);
    ASSERT_FALSE(input.empty());
    const EngineRun expected = RunEngine(input);
    ASSERT_EQ(expected.code, 0);
    ASSERT_FALSE(expected.report.empty());
    ASSERT_FALSE(expected.graphic.empty());
    ASSERT_FALSE(expected.results.empty());

    EngineRun got;
    {
      ScopedLocale locale(GetParam());
      ASSERT_TRUE(locale.Ok());
      ASSERT_EQ(DecimalPoint(), ",");
      got = RunEngine(input);
      EXPECT_EQ(DecimalPoint(), ",") << "the engine changed its caller's locale";
    }
    EXPECT_EQ(CurrentLocale(), "C");
    EXPECT_EQ(got.code, expected.code);
    EXPECT_EQ(FirstDifference(expected.report, got.report), "") << "report";
    EXPECT_EQ(FirstDifference(expected.graphic, got.graphic), "") << "graphic data file";
    EXPECT_EQ(FirstDifference(expected.results, got.results), "") << "results file";
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, CommaLocaleRuns, ::testing::ValuesIn(CommaLocaleNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(0, info.param.find('.'));
                         });

// The values of the echo, read under a comma-decimal locale: gravity 32.2
// (strtod read 32) and Poisson's ratio 0.35 (strtod read 0), and the report
// says nothing was refused.
TEST(CommaLocaleEcho, DecimalFractionsAreReadWhole) {
  CommaLocales locales({"de_DE.UTF-8"});
  if (locales.Missing()) GTEST_SKIP() << "skipped: " << locales.Why();
  ASSERT_TRUE(locales.Ready()) << locales.Why();
  EngineRun run;
  {
    ScopedLocale locale("de_DE.UTF-8");
    ASSERT_TRUE(locale.Ok());
    run = RunEngine(Example("half-space"));
  }
  ASSERT_EQ(run.code, 0);
  EXPECT_TRUE(HasBlock(run.report, {" GRAVITATIONAL CONSTANT SET TO  32.20 ft/s**2"}));
  EXPECT_TRUE(HasBlock(run.report, {"   1     2.000  600.000    110.000    0.350     0.050",
                                    "   2     4.000  700.000    115.000    0.350     0.050"}));
  EXPECT_EQ(run.report.find("INPUT ERROR"), std::string::npos);
  EXPECT_EQ(run.report.find("0,"), std::string::npos) << "a comma-decimal number in the report";
  EXPECT_EQ(run.results.find("32,2"), std::string::npos);
}

}  // namespace
}  // namespace terva::test
