#include "gui/model/DesignChecks.hpp"

#include "gui/model/AmpSeries.hpp"
#include "gui/model/SpringsDashpots.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

namespace terva::gui {

namespace {

constexpr int kDirectTerms = 6;  // Kxx ... Kzt; the two cross terms may have either sign
constexpr double kSameRatio = 1e-9;

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

}  // namespace

TDesignChecks CheckDesign(const TResultsData& data, const TDesignCriteria& criteria) {
  TDesignChecks out;
  const std::vector<float>& w = data.responseOmega;
  size_t rows = w.size();
  for (const auto& curve : data.amplitude) rows = std::min(rows, curve.size());
  if (data.HasPhases())
    for (const auto& motion : data.motion) rows = std::min(rows, motion.size());
  const double op = criteria.operatingOmega;
  if (rows == 0) {
    out.error = QStringLiteral("The results hold no harmonic response to check.");
    return out;
  }
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

  // (a) every peak of the six response curves against the operating frequency
  TSeparationCheck& separation = out.separation;
  separation.verdict = TVerdict::Pass;
  for (int k = 0; k < TResultsData::kAmplitudes; ++k) {
    const std::vector<float>& a = data.amplitude[static_cast<size_t>(k)];
    for (size_t i = 1; i + 1 < rows; ++i) {
      if (!(a[i] > a[i - 1] && a[i] >= a[i + 1])) continue;
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
