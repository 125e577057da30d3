// The arithmetic of the amplitude plot's axes and of its numbers as text:
// the "nice" tick steps, and single-precision results written and read
// back as they print.
#pragma once

#include <QString>

namespace terva::gui {

// A "nice" axis: its range rounded outward to a step of 1, 2, 2.5 or 5
// times a power of ten, chosen for about `intervals` intervals, so that every
// value lies inside and every tick label is short. An empty range is
// widened around its value; non-finite ends, or a range too wide for a
// double, give 0 to 1.
struct TNiceAxis {
  double Min = 0.0, Max = 1.0, Step = 0.2;
  int Decimals = 1;  // the decimals a tick label needs
};
TNiceAxis NiceAxis(double min, double max, int intervals = 5);

// The shortest text that reads back to the same single-precision value
// ("0.001008357"), whatever the locale.
QString ShortestFloat(double value);

// A value as the single-precision value reads: 0.6f (0.60000002) as 0.6,
// so that an axis ends at the step the value names.
double AsRead(double value);

}  // namespace terva::gui
