// The report's edit descriptors against what a real Fortran compiler writes.
#include "engine/report/report_format.hpp"
#include "support/printf_fields.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using terva::Real;

struct Row {
  std::string descriptor;
  std::string value;   // hex bits (reals) or decimal (integers)
  std::string field;   // expected, without the | marks
};

std::vector<Row> LoadRows(const std::string& file, bool real) {
  std::ifstream in(std::string(TERVA_TEST_DATA_DIR) + "/" + file);
  EXPECT_TRUE(in.good()) << file;
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cols;
    std::stringstream ss(line);
    std::string col;
    while (std::getline(ss, col, '\t')) cols.push_back(col);
    const size_t n = real ? 4 : 3;
    if (cols.size() < n) continue;
    const std::string& f = cols[n - 1];
    rows.push_back({cols[0], cols[1], f.substr(1, f.size() - 2)});
  }
  return rows;
}

// Splits "1PE12.5" into scale 1, kind E, width 12, decimals 5.
struct Descriptor {
  int scale = 0;
  char kind = 'F';
  int w = 0;
  int d = 0;
};

Descriptor Parse(std::string s) {
  Descriptor r;
  if (s.rfind("1P", 0) == 0) {
    r.scale = 1;
    s = s.substr(2);
  }
  r.kind = s[0];
  const size_t dot = s.find('.');
  r.w = std::stoi(s.substr(1, dot == std::string::npos ? std::string::npos : dot - 1));
  if (dot != std::string::npos) r.d = std::stoi(s.substr(dot + 1));
  return r;
}

TEST(ReportFormat, EveryRealDescriptorMatchesFortran) {
  const auto rows = LoadRows("fortran-real-fields.tsv", true);
  ASSERT_GT(rows.size(), 1000u);
  int failures = 0;
  for (const Row& row : rows) {
    const auto bits = static_cast<std::uint32_t>(std::stoul(row.value, nullptr, 16));
    const Real v = std::bit_cast<Real>(bits);
    const Descriptor d = Parse(row.descriptor);
    const std::string got = d.kind == 'F' ? terva::fmt::F(v, d.w, d.d) : terva::fmt::E(v, d.w, d.d, d.scale);
    if (got != row.field && ++failures < 20)
      ADD_FAILURE() << row.descriptor << " of " << v << " (" << row.value << "): got |" << got << "| want |"
                    << row.field << "|";
  }
  EXPECT_EQ(failures, 0);
}

TEST(ReportFormat, EveryIntegerDescriptorMatchesFortran) {
  const auto rows = LoadRows("fortran-integer-fields.tsv", false);
  ASSERT_GT(rows.size(), 30u);
  for (const Row& row : rows) {
    const Descriptor d = Parse(row.descriptor);
    EXPECT_EQ(terva::fmt::I(std::stoll(row.value), d.w), row.field) << row.descriptor << " of " << row.value;
  }
}

TEST(ReportFormat, TextAndLineBuilding) {
  EXPECT_EQ(terva::fmt::A("m", 2), "m ");
  EXPECT_EQ(terva::fmt::A("lb-ft/rad/sec", 12), "lb-ft/rad/se");
  const auto line = terva::fmt::Line("GRAVITATIONAL CONSTANT SET TO").F(9.81f, 7, 2).X(1).A("m/s**2 ");
  EXPECT_EQ(line.str(), "GRAVITATIONAL CONSTANT SET TO   9.81 m/s**2 ");
}

TEST(ReportFormat, NonFiniteValuesPrintAsAsterisks) {
  const Real inf = std::numeric_limits<Real>::infinity();
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  for (int w : {2, 3, 5, 9, 12}) {
    const std::string stars(static_cast<size_t>(w), '*');
    EXPECT_EQ(terva::fmt::F(inf, w, 2), stars);
    EXPECT_EQ(terva::fmt::F(-inf, w, 2), stars);
    EXPECT_EQ(terva::fmt::E(-inf, w, 2, 1), stars);
    EXPECT_EQ(terva::fmt::E(inf, w, 2, 0), stars);
    EXPECT_EQ(terva::fmt::F(nan, w, 2), stars);
    EXPECT_EQ(terva::fmt::E(-nan, w, 4, 1), stars);
  }
}

// The fields against the printf path they replace, over values that stress
// the rounding: random bit patterns (subnormals, NaN and infinity among them),
// exact decimal ties (k/2^n), values either side of a rounding to the next
// power of ten (9.995E+02 -> 0.100E+04), and both zeros.
TEST(ReportFormat, AgreesWithThePrintfPathOnEveryKindOfValue) {
  std::vector<Real> values = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 0.125f, 2.5f, 0.375f, 1.5f, 1e-45f, -1e-45f,
                              std::numeric_limits<Real>::max(), std::numeric_limits<Real>::lowest(),
                              std::numeric_limits<Real>::min(), std::numeric_limits<Real>::infinity(),
                              std::numeric_limits<Real>::quiet_NaN()};
  for (int k = -64; k <= 64; ++k)  // ties at every printed decimal place
    for (int n = 0; n <= 10; ++n) values.push_back(static_cast<Real>(k * 5 + 1) / static_cast<Real>(1 << n));
  for (double p = 1e-6; p < 1e7; p *= 10)
    for (double m : {0.9995, 0.99995, 0.999995, 0.95, 0.995, 9.995, 99.5, 0.5, 0.05, 0.005}) {
      Real v = static_cast<Real>(m * p);
      for (int step = 0; step < 4; ++step) {
        values.push_back(v);
        values.push_back(-v);
        v = std::nextafter(v, 2 * v);
      }
      v = static_cast<Real>(m * p);
      for (int step = 0; step < 4; ++step) values.push_back(v = std::nextafter(v, 0.0f));
    }
  std::mt19937 random(18);
  for (int k = 0; k < 40000; ++k) values.push_back(std::bit_cast<Real>(static_cast<std::uint32_t>(random())));
  std::uniform_real_distribution<float> exponent(-8.0f, 8.0f);
  for (int k = 0; k < 20000; ++k) values.push_back(std::pow(10.0f, exponent(random)) * (k % 2 ? 1.0f : -1.0f));

  int failures = 0;
  auto check = [&](const std::string& got, const std::string& want, const char* kind, Real v, int w, int d) {
    if (got != want && ++failures < 20)
      ADD_FAILURE() << kind << w << "." << d << " of " << v << " (" << std::hex << std::bit_cast<std::uint32_t>(v)
                    << std::dec << "): got |" << got << "| want |" << want << "|";
  };
  for (const Real v : values) {
    for (const auto& [w, d] : std::vector<std::pair<int, int>>{{7, 2}, {8, 4}, {10, 4}, {4, 1}, {5, 3}, {9, 0}, {14, 6}})
      check(terva::fmt::F(v, w, d), terva::printf_fields::F(v, w, d), "F", v, w, d);
    for (const auto& [w, d] : std::vector<std::pair<int, int>>{{10, 3}, {12, 5}, {8, 3}, {7, 3}, {9, 2}, {6, 0}, {15, 8}}) {
      check(terva::fmt::E(v, w, d, 0), terva::printf_fields::E(v, w, d, 0), "E", v, w, d);
      check(terva::fmt::E(v, w + 1, d, 1), terva::printf_fields::E(v, w + 1, d, 1), "1PE", v, w + 1, d);
    }
  }
  EXPECT_EQ(failures, 0);
  // Exact ties go to the even digit; a rounding up can carry into a new power of ten.
  EXPECT_EQ(terva::fmt::F(0.125f, 7, 2), "   0.12");
  EXPECT_EQ(terva::fmt::F(0.375f, 7, 2), "   0.38");
  EXPECT_EQ(terva::fmt::F(-0.25f, 5, 1), " -0.2");
  EXPECT_EQ(terva::fmt::E(999.5f, 10, 3), " 0.100E+04");
  EXPECT_EQ(terva::fmt::E(-9.9999f, 11, 3, 1), " -1.000E+01");
  EXPECT_EQ(terva::fmt::E(-0.0f, 10, 3), "-0.000E+00");
}

}  // namespace
