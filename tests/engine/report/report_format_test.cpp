// The report's edit descriptors against what a real Fortran compiler writes.
#include "engine/report/report_format.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
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

}  // namespace
