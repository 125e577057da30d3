#include "gui/plots/AmpAxis.hpp"

#include "gui/plots/PlotScale.hpp"

#include <QByteArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace terva::gui {

TNiceAxis NiceAxis(double min, double max, int intervals) {
  TNiceAxis axis;
  if (!std::isfinite(min) || !std::isfinite(max)) return axis;
  if (min > max) std::swap(min, max);
  if (max == min) {
    // No range to divide: one around the value (from 0 for a value of 0).
    const double half = min == 0.0 ? 0.5 : std::abs(min) / 2;
    min == 0.0 ? (max = 1.0) : (min -= half, max += half);
  }
  const double raw = (max - min) / std::max(1, intervals);
  if (!std::isfinite(raw) || raw <= 0) return TNiceAxis();
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double factor = 10.0;
  for (double nice : {1.0, 2.0, 2.5, 5.0})
    if (raw / power <= nice * (1 + 1e-9)) {
      factor = nice;
      break;
    }
  axis.Step = factor * power;
  // A quotient that misses a whole step by its rounding error counts as that
  // step; one that misses it by more (a range narrow beside its values,
  // where that error is a visible part of a step) takes the next step out,
  // so that no value falls off the axis.
  const double slack = 8 * std::numeric_limits<double>::epsilon() * std::max(std::abs(min), std::abs(max));
  double low = Snap(min / axis.Step, false), high = Snap(max / axis.Step, true);
  if (axis.Step * low > min + slack) low -= 1;
  if (axis.Step * high < max - slack) high += 1;
  axis.Min = std::min(axis.Step * low, min);  // the last ulp too
  axis.Max = std::max(axis.Step * high, max);
  if (!std::isfinite(axis.Min) || !std::isfinite(axis.Max) || !(axis.Step > 0)) return TNiceAxis();
  if (axis.Min == 0.0) axis.Min = 0.0;  // no "-0"
  axis.Decimals = 0;
  for (double scaled = axis.Step; axis.Decimals < 15; scaled *= 10, ++axis.Decimals)
    if (std::abs(scaled - std::round(scaled)) <= 1e-6 * scaled) break;
  return axis;
}

QString ShortestFloat(double value) {
  const float single = static_cast<float>(value);
  char text[40];
  auto result = std::to_chars(text, text + sizeof text, single);
  // A reader that takes the text as a double and rounds that to a float
  // rounds twice; for a few floats the shortest text then lands on the
  // neighbour. The double's shortest text reads back right either way.
  double read = 0;
  if (std::isfinite(single) && (std::from_chars(text, result.ptr, read).ec != std::errc() ||
                                static_cast<float>(read) != single))
    result = std::to_chars(text, text + sizeof text, static_cast<double>(single));
  return QString::fromLatin1(text, static_cast<qsizetype>(result.ptr - text));
}

double AsRead(double value) {
  const QByteArray text = ShortestFloat(value).toLatin1();
  double read = value;
  std::from_chars(text.constData(), text.constData() + text.size(), read);
  return read;
}

}  // namespace terva::gui
