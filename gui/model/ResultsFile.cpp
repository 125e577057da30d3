#include "gui/model/ResultsFile.hpp"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>
#include <limits>

#include "gui/core/EngineRunner.hpp"

namespace terva::gui {

namespace {

constexpr const char* kStiffness[8] = {"Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp"};
constexpr const char* kDamping[8] = {"Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp"};
constexpr const char* kDofNames[6] = {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};

// A list of n numbers (null: NaN). The file writes each float in the
// shortest form that reads back to it; read as a double and rounded to a
// float it gives that float again.
bool Floats(const QJsonValue& value, qsizetype n, std::vector<float>& out) {
  if (!value.isArray()) return false;
  const QJsonArray array = value.toArray();
  if (n >= 0 && array.size() != n) return false;
  out.clear();
  out.reserve(static_cast<size_t>(array.size()));
  for (const QJsonValue& item : array) {
    if (item.isNull()) out.push_back(std::numeric_limits<float>::quiet_NaN());
    else if (item.isDouble()) out.push_back(static_cast<float>(item.toDouble()));
    else return false;
  }
  return true;
}

}  // namespace

QString ResultsFileOf(const QString& path) { return WithExtension(path, QStringLiteral(".tvj")); }

bool ReadEngineResults(const QString& path, TEngineResults& r, QString* error) {
  r = TEngineResults{};
  auto fail = [&](const QString& why) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, why);
    r = TEngineResults{};
    return false;
  };
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
  constexpr qint64 kLargest = 64 << 20;  // a run of 1 024 frequencies writes well under 2 MB
  if (file.size() > kLargest) return fail(QStringLiteral("too large for a results file"));
  QJsonParseError parse{};
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
  if (parse.error != QJsonParseError::NoError) return fail(parse.errorString());
  const QJsonObject root = document.object();
  if (root.value(QStringLiteral("format")).toString() != QLatin1String("terva-engine-results") ||
      root.value(QStringLiteral("version")).toInt() != 1)
    return fail(QStringLiteral("no results file of this version"));
  r.title = root.value(QStringLiteral("title")).toString();
  r.foundation = root.value(QStringLiteral("foundation")).toString();
  r.load = root.value(QStringLiteral("load")).toString();
  if (!Floats(root.value(QStringLiteral("omega")), -1, r.omega)) return fail(QStringLiteral("no frequency list"));
  const qsizetype n = static_cast<qsizetype>(r.omega.size());
  if (root.value(QStringLiteral("count")).toInt(-1) != n) return fail(QStringLiteral("the count disagrees with the list"));
  const QJsonObject k = root.value(QStringLiteral("stiffness")).toObject();
  const QJsonObject c = root.value(QStringLiteral("damping")).toObject();
  for (int t = 0; t < TEngineResults::kTerms; ++t)
    if (!Floats(k.value(QLatin1String(kStiffness[t])), n, r.stiffness[static_cast<size_t>(t)]) ||
        !Floats(c.value(QLatin1String(kDamping[t])), n, r.damping[static_cast<size_t>(t)]))
      return fail(QStringLiteral("incomplete stiffness and damping"));
  if (r.load == QLatin1String("harmonic")) {
    const QJsonObject response = root.value(QStringLiteral("response")).toObject();
    const QJsonObject amplitude = response.value(QStringLiteral("amplitude")).toObject();
    const QJsonObject re = response.value(QStringLiteral("real")).toObject();
    const QJsonObject im = response.value(QStringLiteral("imag")).toObject();
    for (int d = 0; d < TEngineResults::kDof; ++d) {
      std::vector<float> x, y;
      const QLatin1String name(kDofNames[d]);
      if (!Floats(amplitude.value(name), n, r.amplitude[static_cast<size_t>(d)]) || !Floats(re.value(name), n, x) ||
          !Floats(im.value(name), n, y))
        return fail(QStringLiteral("incomplete response"));
      auto& motion = r.motion[static_cast<size_t>(d)];
      motion.resize(static_cast<size_t>(n));
      for (size_t i = 0; i < x.size(); ++i) motion[i] = {x[i], y[i]};
    }
  }
  return true;
}

bool ResultsMatch(const TEngineResults& results, int count, const std::vector<float>& printed) {
  if (count != static_cast<int>(results.omega.size())) return false;
  if (printed.empty()) return true;
  if (printed.size() != results.omega.size()) return false;
  for (size_t i = 0; i < printed.size(); ++i) {
    // E10.3 keeps three significant digits (0.ddd) and F7.2 two decimals:
    // either is within 0.5 % or 0.005 of the value
    const double a = printed[i], b = results.omega[i];
    if (!(std::fabs(a - b) <= std::max(5.01e-3 * std::fabs(b), 0.00501))) return false;
  }
  return true;
}

}  // namespace terva::gui
