#include "gui/model/DesignChecks.hpp"

#include "gui/model/AmpSeries.hpp"
#include "gui/model/SpringsDashpots.hpp"

#include <QSettings>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

namespace terva::gui {

namespace {

constexpr int kDirectTerms = 6;  // Kxx ... Kzt; the two cross terms may have either sign
// A peak at the criterion's distance as the frequencies print (single precision
// and the report's digits) is at that distance, and passes.
constexpr double kSameRatio = 1e-6;
constexpr double kNoise = 1e-3;  // of the largest amplitude of a kind: a peak below it is no resonance

// The verdict of the largest of `values` against `limit` (0: not checked),
// with the margin limit − largest.
TVerdict Against(const std::array<double, 3>& values, double limit, double& margin) {
  if (!(limit > 0.0)) return TVerdict::NotChecked;
  const double largest = *std::max_element(values.begin(), values.end());
  margin = limit - largest;
  return margin >= 0.0 ? TVerdict::Pass : TVerdict::Fail;
}

// The point's amplitudes at response row i: exact with the phases, else the bound.
std::array<double, 3> AmplitudesAt(const TResultsData& data, size_t i, const TCheckPoint& p) {
  if (data.HasPhases()) {
    std::array<std::complex<double>, 6> m;
    for (size_t k = 0; k < m.size(); ++k) m[k] = std::complex<double>(data.motion[k][i]);
    return PointAmplitudes(m, 1.0, p.x, p.y, p.z);
  }
  std::array<double, 6> a{};
  for (size_t k = 0; k < a.size(); ++k) a[k] = static_cast<double>(data.amplitude[k][i]);
  return PointAmplitudeBounds(a, 1.0, p.x, p.y, p.z);
}

const QString kGroup = QStringLiteral("DesignChecks");
QString SystemKey(const char* key, int system) {
  return QString::fromLatin1(key) + (system == 1 ? QStringLiteral("English") : QStringLiteral("SI"));
}
QString Number(double value) { return QString::number(value, 'g', 17); }

}  // namespace

TStoredCriteria StoredDesignCriteria(int system) {
  TStoredCriteria stored;
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  if (settings.status() != QSettings::NoError) return stored;
  settings.beginGroup(kGroup);
  // numbers are kept with "." (QString::toDouble reads no locale)
  const auto real = [&settings](const QString& key, double fallback, bool positive) {
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    return ok && std::isfinite(value) && (positive ? value > 0.0 : value >= 0.0) ? value : fallback;
  };
  stored.operatingFrequency = settings.value(QStringLiteral("OperatingFrequency")).toString();
  TDesignCriteria& c = stored.criteria;
  c.separation = real(QStringLiteral("Separation"), c.separation, true);
  c.amplitudeLimit = real(SystemKey("AmplitudeLimit", system), 0.0, false);
  c.velocityLimit = real(SystemKey("VelocityLimit", system), 0.0, false);
  for (const QString& line : settings.value(SystemKey("Points", system)).toStringList()) {
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 4) continue;
    TCheckPoint point{fields[0], 0.0, 0.0, 0.0};
    bool ok[3] = {};
    point.x = fields[1].toDouble(&ok[0]);
    point.y = fields[2].toDouble(&ok[1]);
    point.z = fields[3].toDouble(&ok[2]);
    if (ok[0] && ok[1] && ok[2]) c.points.push_back(point);
  }
  return stored;
}

void StoreDesignCriteria(int system, const TStoredCriteria& stored) {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(kGroup);
  const TDesignCriteria& c = stored.criteria;
  settings.setValue(QStringLiteral("OperatingFrequency"), stored.operatingFrequency);
  settings.setValue(QStringLiteral("Separation"), Number(c.separation));
  settings.setValue(SystemKey("AmplitudeLimit", system), Number(c.amplitudeLimit));
  settings.setValue(SystemKey("VelocityLimit", system), Number(c.velocityLimit));
  QStringList points;
  for (const TCheckPoint& p : c.points) {
    QString name = p.name;
    name.replace(u'\t', u' ');
    points << QStringList{name, Number(p.x), Number(p.y), Number(p.z)}.join(u'\t');
  }
  settings.setValue(SystemKey("Points", system), points);
}

TDesignChecks CheckDesign(const TResultsData& data, const TDesignCriteria& criteria) {
  TDesignChecks out;
  const std::vector<float>& w = data.responseOmega;
  size_t rows = w.size();
  for (const auto& curve : data.amplitude) rows = std::min(rows, curve.size());
  if (data.HasPhases())
    for (const auto& motion : data.motion) rows = std::min(rows, motion.size());
  double op = criteria.operatingOmega;
  if (rows == 0) {
    out.error = QStringLiteral("The results hold no harmonic response to check.");
    return out;
  }
  // A frequency as the report prints it (four decimals of Hz) is the
  // computed one, as for the springs and dashpots.
  const double tolerance = 0.5e-4 * 6.28 + 4.0 * std::numeric_limits<float>::epsilon() * std::fabs(op);
  for (size_t i = 0; i < rows; ++i)
    if (std::fabs(static_cast<double>(w[i]) - op) <= tolerance) op = w[i];
  if (!(op >= static_cast<double>(w.front()) && op <= static_cast<double>(w[rows - 1]))) {
    out.error = QStringLiteral("The operating frequency %1 rad/s lies outside the computed range, %2 to %3 rad/s.")
                    .arg(op)
                    .arg(static_cast<double>(w.front()))
                    .arg(static_cast<double>(w[rows - 1]));
    return out;
  }
  out.ok = true;

  // the computed frequencies around the operating one, and its place between them
  size_t above = 0;
  while (above + 1 < rows && static_cast<double>(w[above]) < op) ++above;
  const size_t below = static_cast<double>(w[above]) == op || above == 0 ? above : above - 1;
  out.below = w[below];
  out.above = w[above];
  const double t = above == below ? 0.0 : (op - out.below) / (out.above - out.below);

  // (a) every peak of the six response curves against the operating
  // frequency; a peak below a thousandth of the largest amplitude of its kind
  // (translations, rotations) is the numerical noise of a direction the load
  // does not move, not a resonance
  TSeparationCheck& separation = out.separation;
  separation.verdict = TVerdict::Pass;
  std::array<double, 2> largest{};
  for (int k = 0; k < TResultsData::kAmplitudes; ++k)
    for (size_t i = 0; i < rows; ++i)
      if (std::isfinite(data.amplitude[static_cast<size_t>(k)][i]))
        largest[k / 3] = std::max(largest[k / 3], static_cast<double>(data.amplitude[static_cast<size_t>(k)][i]));
  for (int k = 0; k < TResultsData::kAmplitudes; ++k) {
    const std::vector<float>& a = data.amplitude[static_cast<size_t>(k)];
    for (size_t i = 1; i + 1 < rows; ++i) {
      if (!(a[i] > a[i - 1] && a[i] >= a[i + 1])) continue;
      if (a[i] < kNoise * largest[k / 3]) {
        ++separation.negligible;
        continue;
      }
      TResponsePeak peak;
      peak.curve = k;
      peak.omega = w[i];
      peak.amplitude = a[i];
      peak.separation = std::abs(peak.omega / op - 1.0);
      peak.margin = peak.separation - criteria.separation;
      // a peak exactly at the criterion's distance passes, whatever the last bit of the division
      if (std::abs(peak.margin) < kSameRatio) peak.margin = 0.0;
      peak.pass = peak.margin >= 0.0;
      if (!peak.pass) separation.verdict = TVerdict::Fail;
      separation.peaks.push_back(peak);
    }
  }

  // (b) the centre of gravity and the listed points
  std::vector<TCheckPoint> points{TCheckPoint{QStringLiteral("Centre of gravity"), 0.0, 0.0, 0.0}};
  points.insert(points.end(), criteria.points.begin(), criteria.points.end());
  for (const TCheckPoint& point : points) {
    TPointCheck check;
    check.point = point;
    check.upperBound = !data.HasPhases();
    const std::array<double, 3> lo = AmplitudesAt(data, below, point), hi = AmplitudesAt(data, above, point);
    for (size_t d = 0; d < 3; ++d) {
      check.amplitude[d] = lo[d] + t * (hi[d] - lo[d]);
      check.velocity[d] = op * check.amplitude[d];
    }
    check.amplitudeVerdict = Against(check.amplitude, criteria.amplitudeLimit, check.amplitudeMargin);
    check.velocityVerdict = Against(check.velocity, criteria.velocityLimit, check.velocityMargin);
    out.points.push_back(check);
  }

  // (c) what the verdicts above cannot show
  if (data.HasImpedance()) {
    const TSpringsDashpots springs = SpringsDashpotsAt(data, op);
    if (springs.ok) {
      for (int k = 0; k < kDirectTerms; ++k) {
        const size_t term = static_cast<size_t>(k);
        if (!(springs.stiffness[term] > 0.0))
          out.warnings << QStringLiteral("%1 is not positive at the operating frequency (%2).")
                              .arg(QString::fromLatin1(TResultsData::kStiffnessNames[term]))
                              .arg(springs.stiffness[term]);
        if (springs.damping[term] < 0.0)
          out.warnings << QStringLiteral("%1 is negative at the operating frequency (%2).")
                              .arg(QString::fromLatin1(TResultsData::kDampingNames[term]))
                              .arg(springs.damping[term]);
      }
    }
  }
  QStringList failed;
  for (size_t i = 0; i < rows; ++i) {
    bool finite = true;
    for (const auto& curve : data.amplitude) finite = finite && std::isfinite(curve[i]);
    if (!finite) failed << QString::number(static_cast<double>(w[i]));
  }
  if (!failed.isEmpty())
    out.warnings << QStringLiteral("The engine could not solve %1 frequenc%2 (%3 rad/s): peaks may lie there.")
                        .arg(failed.size())
                        .arg(failed.size() == 1 ? QStringLiteral("y") : QStringLiteral("ies"))
                        .arg(failed.join(QStringLiteral(", ")));
  return out;
}

}  // namespace terva::gui
