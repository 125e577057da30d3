#include "gui/plots/VelocityLines.hpp"

#include "gui/core/units.hpp"
#include "gui/model/PltData.hpp"

#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace terva::gui {

namespace {

bool English(int system) { return system == kEnglish; }

const QString kGroup = QStringLiteral("VelocityLimits");
QString Key(int system) { return English(system) ? QStringLiteral("English") : QStringLiteral("SI"); }

// A = c / x with c the limit in amplitude units per second over 2π (x in Hz)
// or over 1 (x in rad/s).
double Coefficient(double limit, int system, TFrequencyAxis axis) {
  const double v = limit * VelocityLengthFactor(system);
  return axis == TFrequencyAxis::Hertz ? v / (2.0 * std::numbers::pi) : v;
}

}  // namespace

QString VelocityUnit(int system) { return English(system) ? QStringLiteral("in/s") : QStringLiteral("mm/s"); }

std::vector<double> DefaultVelocityLimits(int system) {
  if (English(system)) return {0.1, 0.2, 0.4, 1.0};
  return {2.5, 5.0, 10.0, 25.0};
}

double VelocityLengthFactor(int system) { return English(system) ? 1.0 / 12.0 : 1.0 / 1000.0; }

double VelocityLineAmplitude(double limit, int system, TFrequencyAxis axis, double x) {
  return Coefficient(limit, system, axis) / x;
}

std::vector<QPointF> VelocityLinePoints(double limit, int system, TFrequencyAxis axis, const TView& view,
                                        int samples) {
  const double c = Coefficient(limit, system, axis);
  std::vector<QPointF> points;
  if (!(c > 0) || !std::isfinite(c) || view.Y.Max <= 0 || view.X.Max <= 0 || samples < 2) return points;
  // The curve falls from left to right: it enters the view at the top edge
  // (x = c / yMax) or at the left one, and leaves it at the bottom edge
  // (x = c / yMin, for a positive yMin) or at the right one.
  const double first = std::max({view.X.Min, c / view.Y.Max, 0.0});
  const double last = view.Y.Min > 0 ? std::min(view.X.Max, c / view.Y.Min) : view.X.Max;
  if (!(first < last) || first <= 0) return points;
  // Evenly in x for the flat part and evenly in y for the steep one.
  std::vector<double> xs;
  xs.reserve(2 * static_cast<size_t>(samples));
  const double yHigh = c / first, yLow = c / last;
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / (samples - 1);
    xs.push_back(first + t * (last - first));
    if (i > 0 && i < samples - 1) xs.push_back(c / (yHigh + t * (yLow - yHigh)));
  }
  std::sort(xs.begin(), xs.end());
  xs.front() = first;
  xs.back() = last;
  for (double x : xs) {
    if (!points.empty() && x <= points.back().x()) continue;
    // The ends sit exactly on the view's edges.
    double y = c / x;
    if (x == first && c / view.Y.Max >= view.X.Min) y = view.Y.Max;
    if (x == last && view.Y.Min > 0 && c / view.Y.Min <= view.X.Max) y = view.Y.Min;
    points.emplace_back(x, y);
  }
  return points;
}

QString VelocityLabel(double limit, int system) {
  return QString::number(limit, 'g', QLocale::FloatingPointShortest) + QLatin1Char(' ') + VelocityUnit(system);
}

bool ParseVelocityLimits(const QString& text, std::vector<double>& limits, QString* error) {
  static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
  const QStringList words = text.split(separators, Qt::SkipEmptyParts);
  std::vector<double> values;
  auto fail = [error](const QString& reason) {
    if (error) *error = reason;
    return false;
  };
  for (const QString& word : words) {
    bool ok = false;
    const double value = word.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0)
      return fail(QStringLiteral("\"%1\" is not a positive velocity.").arg(word));
    values.push_back(value);
  }
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  if (values.empty()) return fail(QStringLiteral("Enter at least one velocity."));
  if (static_cast<int>(values.size()) > kMaxVelocityLimits)
    return fail(QStringLiteral("At most %1 velocities.").arg(kMaxVelocityLimits));
  limits = std::move(values);
  return true;
}

QString FormatVelocityLimits(const std::vector<double>& limits) {
  QStringList words;
  for (double v : limits) words << QString::number(v, 'g', QLocale::FloatingPointShortest);
  return words.join(QStringLiteral(", "));
}

std::vector<double> StoredVelocityLimits(int system) {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(kGroup);
  const QString text = settings.value(Key(system)).toString();
  std::vector<double> limits;
  if (settings.status() != QSettings::NoError || !ParseVelocityLimits(text, limits))
    return DefaultVelocityLimits(system);
  return limits;
}

void StoreVelocityLimits(int system, const std::vector<double>& limits) {
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(kGroup);
  settings.setValue(Key(system), FormatVelocityLimits(limits));
}

bool HasTranslationalAmplitudes(const TGraphPlot& plot) {
  return plot.YUnits() == QLatin1String("L2") && (plot.Units() == kEnglish || plot.Units() == kSI);
}

}  // namespace terva::gui
