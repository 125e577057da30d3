#include "gui/model/SpringsDashpots.hpp"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace terva::gui {

namespace {

// rad/s per Hz as the report converts (Hz = rad/s × 0.5 / 3.14).
constexpr double kRadPerHz = 3.14 / 0.5;

QString Plain(double value) { return QString::number(value, 'g', 6); }


const char* const kModes[TResultsData::kTerms] = {"xx  horizontal", "yy  horizontal", "ww  vertical",
                                                  "ppx rocking",    "ppy rocking",    "zt  torsion",
                                                  "xp  cross",      "yp  cross"};

}  // namespace

QString ReportConstant(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 5).ptr;
  QString text = QString::fromLatin1(buffer, static_cast<int>(end - buffer));
  return text.replace(QLatin1Char('e'), QLatin1Char('E'));
}

double ToRadPerSecond(double value, TFrequencyUnit unit) {
  switch (unit) {
    case TFrequencyUnit::Hz: return value * kRadPerHz;
    case TFrequencyUnit::Rpm: return value / 60.0 * kRadPerHz;
    default: return value;
  }
}

double FromRadPerSecond(double omega, TFrequencyUnit unit) {
  switch (unit) {
    case TFrequencyUnit::Hz: return omega / kRadPerHz;
    case TFrequencyUnit::Rpm: return omega / kRadPerHz * 60.0;
    default: return omega;
  }
}

TOperatingFrequency ParseOperatingFrequency(const QString& text) {
  TOperatingFrequency f;
  static const QRegularExpression form(
      QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)\\s*([A-Za-z/]*)\\s*$"));
  const QRegularExpressionMatch match = form.match(text);
  if (text.trimmed().isEmpty()) {
    f.error = QStringLiteral("no frequency given (write it as 1500rpm, 25Hz or 157rad/s)");
    return f;
  }
  if (!match.hasMatch()) {
    f.error = QStringLiteral("\"%1\" is no frequency (write it as 1500rpm, 25Hz or 157rad/s)").arg(text.trimmed());
    return f;
  }
  const QString unit = match.captured(2).toLower();
  if (unit.isEmpty() || unit == QLatin1String("rad/s")) f.unit = TFrequencyUnit::RadPerSecond;
  else if (unit == QLatin1String("hz")) f.unit = TFrequencyUnit::Hz;
  else if (unit == QLatin1String("rpm")) f.unit = TFrequencyUnit::Rpm;
  else {
    f.error = QStringLiteral("\"%1\": unknown unit \"%2\" (rpm, Hz or rad/s)").arg(text.trimmed(), match.captured(2));
    return f;
  }
  bool number = false;
  f.value = match.captured(1).toDouble(&number);  // QString::toDouble ignores the locale
  if (!number || !std::isfinite(f.value)) {
    f.error = QStringLiteral("\"%1\" is no frequency").arg(text.trimmed());
    return f;
  }
  if (!(f.value > 0.0)) {
    f.error = QStringLiteral("\"%1\": the frequency must be positive").arg(text.trimmed());
    return f;
  }
  f.omega = ToRadPerSecond(f.value, f.unit);
  f.ok = true;
  return f;
}

TSpringsDashpots SpringsDashpotsAt(const TResultsData& data, double omega) {
  TSpringsDashpots s;
  s.omega = omega;
  if (!data.HasImpedance()) {
    s.error = QStringLiteral("the results hold no stiffness and damping (run the analysis again, or with the MATRIX "
                             "option)");
    return s;
  }
  const std::vector<float>& w = data.omega;
  const auto [low, high] = std::minmax_element(w.begin(), w.end());
  // A frequency typed as the report prints it (four decimals in rad/s or
  // Hz) is the computed one: within half a unit of the fourth decimal of Hz,
  // and a float's rounding, omega takes that row.
  const double tolerance = 0.5e-4 * kRadPerHz + 4.0 * std::numeric_limits<float>::epsilon() * std::fabs(omega);
  if (!(omega >= *low - tolerance && omega <= *high + tolerance)) {
    s.error = QStringLiteral("%1 rad/s (%2 Hz) is outside the computed range %3 to %4 rad/s (%5 to %6 Hz)")
                  .arg(Plain(omega), Plain(FromRadPerSecond(omega, TFrequencyUnit::Hz)), Plain(*low), Plain(*high),
                       Plain(HzOf(*low)), Plain(HzOf(*high)));
    return s;
  }
  // The computed row nearest to it within the tolerance, else the first pair
  // of neighbouring rows around it (rows need not ascend; two rows of one
  // printed frequency are skipped).
  size_t i0 = 0, i1 = 0;
  bool found = false;
  double nearest = tolerance;
  for (size_t i = 0; i < w.size(); ++i)
    if (const double gap = std::fabs(w[i] - omega); gap <= nearest) i0 = i1 = i, nearest = gap, found = true;
  for (size_t i = 0; i + 1 < w.size() && !found; ++i) {
    const double a = std::min(w[i], w[i + 1]), b = std::max(w[i], w[i + 1]);
    if (a < b && omega > a && omega < b) i0 = i, i1 = i + 1, found = true;
  }
  if (!found) {  // inside the range but between rows that are not neighbours: an unordered file
    s.error = QStringLiteral("the computed frequencies are not in order around %1 rad/s").arg(Plain(omega));
    return s;
  }
  const double w0 = w[i0], w1 = w[i1];
  if (i0 == i1) s.omega = w0;  // the computed frequency itself
  const double t = i0 == i1 ? 0.0 : (omega - w0) / (w1 - w0);
  for (int k = 0; k < TResultsData::kTerms; ++k) {
    s.stiffness[k] = data.stiffness[k][i0] + t * (double(data.stiffness[k][i1]) - data.stiffness[k][i0]);
    s.damping[k] = data.damping[k][i0] + t * (double(data.damping[k][i1]) - data.damping[k][i0]);
  }
  for (int m = 0; m < 6; ++m)
    s.ratio[m] = s.stiffness[m] > 0.0 ? s.damping[m] * s.omega / (2.0 * s.stiffness[m])
                                      : std::numeric_limits<double>::quiet_NaN();
  s.fullPrecision = data.fullPrecision;
  s.below = std::min(w0, w1);
  s.above = std::max(w0, w1);
  s.ok = true;
  return s;
}

QString SpringsDashpotsTable(const TSpringsDashpots& values, const TResultsInfo& info) {
  if (!values.ok) return values.error + QLatin1Char('\n');
  QString text = QStringLiteral("Springs and dashpots at %1 rad/s (%2 Hz, %3 rpm)\n")
                     .arg(Plain(values.omega), Plain(FromRadPerSecond(values.omega, TFrequencyUnit::Hz)),
                          Plain(FromRadPerSecond(values.omega, TFrequencyUnit::Rpm)));
  if (values.below == values.above)
    text += QStringLiteral("a computed frequency\n");
  else
    text += QStringLiteral("interpolated between the computed frequencies %1 and %2 rad/s\n")
                .arg(Plain(values.below), Plain(values.above));
  if (!values.fullPrecision)
    text += QStringLiteral("from the graphic data file alone: three significant digits (run the analysis again for "
                           "the engine's full precision)\n");
  text += QLatin1Char('\n');
  auto cell = [](double v, const QString& unit) {
    return (ReportConstant(v) + QLatin1Char(' ') + unit).leftJustified(26);
  };
  text += QStringLiteral("Mode").leftJustified(16) + QStringLiteral("Stiffness K").leftJustified(26) +
          QStringLiteral("Damping C").leftJustified(26) + QStringLiteral("Ratio D\n");
  for (int k = 0; k < TResultsData::kTerms; ++k) {
    QString line = QString::fromLatin1(kModes[k]).leftJustified(16) +
                   cell(values.stiffness[k], UnitOf(QLatin1String(TResultsData::kStiffnessNames[k]), info)) +
                   cell(values.damping[k], UnitOf(QLatin1String(TResultsData::kDampingNames[k]), info));
    if (k < 6) line += std::isnan(values.ratio[k]) ? QStringLiteral("-") : QString::number(values.ratio[k], 'f', 4);
    text += line.trimmed() + QLatin1Char('\n');
  }
  text += QStringLiteral("D = C * omega / (2 K); \"-\" where K is not positive\n");
  return text;
}

}  // namespace terva::gui
