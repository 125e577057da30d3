// The results file: asked for by a seventh line of names.dat, it holds every
// number of the run at single precision; without that line nothing changes.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <complex>
#include <regex>
#include <sstream>

#include "engine/analysis/iterva.h"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

const std::string kExamples = TERVA_EXAMPLES_DIR;
constexpr const char* kDof[6] = {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};

std::string Masked(std::string report) {
  static const std::regex date(R"(RUN DATE -  \d\d/\d\d/\d{4})");
  static const std::regex time(R"(TIME     -  \d\d:\d\d:\d\d)");
  return std::regex_replace(std::regex_replace(report, date, "DATE"), time, "TIME");
}

struct Outputs {
  int code = -1;
  std::string report, graphic;
  bool hasResults = false;
  QJsonObject results;
};

// One call of the engine on `input`, with or without the seventh line.
Outputs RunWith(const std::string& input, bool resultsFile, const std::string& resultsName = "job.tvj") {
  ScratchFolder folder;
  folder.Write("job.tvd", input);
  folder.Write("names.dat", std::string("job.tvd\njob.tvo\njob.tvp\njob.tvr\njob.tvt\njob.tvt\n") +
                                (resultsFile ? resultsName + "\n" : ""));
  Outputs o;
  o.code = ITERVA(13);
  o.report = Masked(folder.Read("job.tvo"));
  o.graphic = folder.Read("job.tvp");
  o.hasResults = folder.Exists("job.tvj");
  if (o.hasResults) {
    const std::string text = folder.Read("job.tvj");
    QJsonParseError error{};
    o.results = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  }
  return o;
}

std::vector<float> Floats(const QJsonValue& v) {
  std::vector<float> out;
  for (const QJsonValue& x : v.toArray()) out.push_back(x.isNull() ? NAN : static_cast<float>(x.toDouble()));
  return out;
}

// The numbers of the report's lines that start with `label`, in order.
std::vector<double> Printed(const std::string& report, const std::string& label) {
  std::vector<double> out;
  std::istringstream in(report);
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, label.size() + 1, " " + label) == 0) out.push_back(std::stod(line.substr(label.size() + 1)));
  return out;
}

// Rows of numbers that follow the line holding `header` up to the first blank line after them.
std::vector<std::vector<double>> Table(const std::string& report, const std::string& header, size_t columns) {
  std::vector<std::vector<double>> rows;
  const size_t at = report.find(header);
  if (at == std::string::npos) return rows;
  std::istringstream in(report.substr(at));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> v;
    double x;
    while (fields >> x) v.push_back(x);
    if (v.size() == columns) rows.push_back(v);
    else if (!rows.empty()) break;
  }
  return rows;
}

void ExpectPrinted(double value, double printed, double relative, const std::string& what) {
  EXPECT_LE(std::fabs(value - printed), relative * std::fabs(printed) + 1e-30) << what << ": " << value << " printed "
                                                                               << printed;
}

TEST(ResultsFile, WithoutTheSeventhLineNothingChanges) {
  for (const char* name : {"half-space", "transient", "random", "pile-group"}) {
    const std::string input = ReadFile(kExamples + "/" + name + ".tvd");
    const Outputs plain = RunWith(input, false), full = RunWith(input, true);
    EXPECT_FALSE(plain.hasResults) << name;
    EXPECT_TRUE(full.hasResults) << name;
    EXPECT_EQ(plain.code, 0);
    EXPECT_EQ(full.code, 0);
    EXPECT_EQ(plain.report, full.report) << name;
    EXPECT_EQ(plain.graphic, full.graphic) << name;
  }
}

TEST(ResultsFile, HarmonicHoldsTheReportsNumbersAndThePhases) {
  const Outputs o = RunWith(ReadFile(kExamples + "/half-space.tvd"), true);
  ASSERT_TRUE(o.hasResults);
  const QJsonObject& r = o.results;
  EXPECT_EQ(r["format"].toString(), "terva-engine-results");
  EXPECT_EQ(r["version"].toInt(), 1);
  EXPECT_EQ(r["load"].toString(), "harmonic");
  EXPECT_EQ(r["foundation"].toString(), "HALF-SPACE");
  EXPECT_EQ(r["units"].toObject()["length"].toString(), "ft");
  const std::vector<float> omega = Floats(r["omega"]);
  ASSERT_EQ(static_cast<int>(omega.size()), r["count"].toInt());

  // the constants as printed with six digits (1PE13.5)
  const std::vector<double> kww = Printed(o.report, "VERTICAL TRANSLATION (KWW)  ...");
  const std::vector<double> cppy = Printed(o.report, "ROTATION (CPPY)  ..............");
  const std::vector<float> Kww = Floats(r["stiffness"].toObject()["Kww"]);
  const std::vector<float> Cppy = Floats(r["damping"].toObject()["Cppy"]);
  ASSERT_EQ(kww.size(), omega.size());
  ASSERT_EQ(cppy.size(), omega.size());
  for (size_t k = 0; k < omega.size(); ++k) {
    ExpectPrinted(Kww[k], kww[k], 5e-6, "Kww");
    ExpectPrinted(Cppy[k], cppy[k], 5e-6, "Cppy");
  }

  // the response table (1PE11.4), and every amplitude the modulus of its complex motion
  const auto rows = Table(o.report, "  ------  -------", 8);
  ASSERT_EQ(rows.size(), omega.size());
  const QJsonObject response = r["response"].toObject();
  for (int d = 0; d < 6; ++d) {
    const std::vector<float> amplitude = Floats(response["amplitude"].toObject()[kDof[d]]);
    const std::vector<float> re = Floats(response["real"].toObject()[kDof[d]]);
    const std::vector<float> im = Floats(response["imag"].toObject()[kDof[d]]);
    ASSERT_EQ(amplitude.size(), omega.size());
    for (size_t k = 0; k < omega.size(); ++k) {
      EXPECT_EQ(amplitude[k], std::abs(std::complex<float>(re[k], im[k]))) << kDof[d] << " " << k;
      ExpectPrinted(amplitude[k], rows[k][2 + d], 5e-5, kDof[d]);
      ExpectPrinted(omega[k], rows[k][1], 0.0, "omega");  // exact: 10, 20, ... rad/s
    }
  }
}

TEST(ResultsFile, ConstantsWithoutMatrixAndTheTransientAndRandomTables) {
  // transient: the times and histories of the response table, the spectra at every frequency
  const Outputs t = RunWith(ReadFile(kExamples + "/transient.tvd"), true);
  ASSERT_TRUE(t.hasResults);
  const int count = t.results["count"].toInt();
  EXPECT_EQ(Floats(t.results["stiffness"].toObject()["Kxx"]).size(), static_cast<size_t>(count));  // no MATRIX
  const QJsonObject transient = t.results["transient"].toObject();
  const std::vector<float> time = Floats(transient["time"]);
  EXPECT_EQ(count, static_cast<int>(time.size()) / 2 + 1);
  const auto rows = Table(t.report, "-------   ---------", 7);
  ASSERT_EQ(rows.size(), time.size());
  for (int d = 0; d < 6; ++d) {
    const std::vector<float> history = Floats(transient["history"].toObject()[kDof[d]]);
    ASSERT_EQ(history.size(), time.size());
    EXPECT_EQ(Floats(transient["spectrum"].toObject()["imag"].toObject()[kDof[d]]).size(), static_cast<size_t>(count));
    for (size_t j = 0; j < time.size(); ++j) {
      ExpectPrinted(time[j], rows[j][0], 0.006 / std::max(rows[j][0], 0.01), "time");
      ExpectPrinted(history[j], rows[j][1 + d], 5e-5, kDof[d]);
    }
  }

  // random: the two spectra the report prints, and the peak factor table
  const Outputs r = RunWith(ReadFile(kExamples + "/random.tvd"), true);
  ASSERT_TRUE(r.hasResults);
  const QJsonObject random = r.results["random"].toObject();
  const auto ux = Table(r.report, "IN X DIRECTION", 2), ry = Table(r.report, "ABOUT Y AXIS", 2);
  const std::vector<float> sx = Floats(random["spectrum"].toObject()["UOX"]);
  const std::vector<float> sy = Floats(random["spectrum"].toObject()["EPOY"]);
  ASSERT_EQ(ux.size(), sx.size());
  ASSERT_EQ(ry.size(), sy.size());
  for (size_t k = 0; k < sx.size(); ++k) {
    ExpectPrinted(sx[k], ux[k][1], 5e-7, "UOX spectrum");
    ExpectPrinted(sy[k], ry[k][1], 5e-7, "EPOY spectrum");
  }
  const auto peaks = Table(r.report, "---------   ---------------", 3);
  const std::vector<float> factor = Floats(random["peak_factor"]), maximum = Floats(random["maximum"]);
  ASSERT_EQ(peaks.size(), 6u);
  for (size_t d = 0; d < 6; ++d) {
    EXPECT_LE(std::fabs(factor[d] - peaks[d][1]), 0.05 + 1e-6);
    ExpectPrinted(maximum[d], peaks[d][2], 5e-4, "maximum");
  }
}

TEST(ResultsFile, NoResultsFileWithoutAnAnalysis) {
  const std::string input = ReadFile(kExamples + "/half-space.tvd");
  // stopped, and a fatal input error: the report says why, and no results file is left
  const Outputs stopped = RunWith("STOP\n" + input, true);
  EXPECT_EQ(stopped.code, 2);
  EXPECT_FALSE(stopped.hasResults);
  const Outputs fatal = RunWith(std::regex_replace(input, std::regex("\nFOUNDATION=HALF-SPACE\n"), "\n"), true);
  EXPECT_EQ(fatal.code, 3);
  EXPECT_FALSE(fatal.hasResults);
  EXPECT_NE(fatal.report.find("*** FATAL ERROR IN INPUT DATA ***"), std::string::npos);

  // a results file that cannot be made: the run does not start, and leaves no report to be taken for one
  ScratchFolder folder;
  folder.Write("job.tvd", input);
  folder.Write("names.dat", "job.tvd\njob.tvo\njob.tvp\n\n\n\nno-such-folder/job.tvj\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("cannot open the results file \"no-such-folder/job.tvj\""), std::string::npos) << message;
  EXPECT_FALSE(folder.Exists("job.tvo"));
  EXPECT_FALSE(folder.Exists("job.tvp"));
}

}  // namespace
}  // namespace terva::test
