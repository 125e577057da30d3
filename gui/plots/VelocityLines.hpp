// Vibration-limit lines on the amplitude plots. Machine foundations are
// checked against limits of peak velocity: a displacement amplitude A at a
// frequency f moves at the peak velocity v = 2πf·A, so the limit v is the
// curve A = v/(2πf) over an amplitude plot. The arithmetic of those curves,
// the limits' text and their place in the program's settings, without
// widgets; the plot windows and the amplitude plot draw from here.
//
// Units: English amplitudes are in feet and their limits in in/s; SI
// amplitudes in metres and their limits in mm/s. Only translational
// amplitudes get lines: a peak velocity says nothing about a rotation.
#pragma once

#include <QPointF>
#include <QString>

#include <vector>

#include "gui/plots/PlotScale.hpp"

namespace terva::gui {

class TGraphPlot;

// What a plot's x axis holds.
enum class TFrequencyAxis { Hertz, RadiansPerSecond };

// The lines of one plot: the unit system of its amplitudes (1 English,
// 2 SI), its x quantity and the limits in the system's velocity unit.
struct TVelocityLines {
  int UnitSystem = 2;
  TFrequencyAxis Axis = TFrequencyAxis::Hertz;
  std::vector<double> Limits;
};

// At most this many limits; each finite and positive.
inline constexpr int kMaxVelocityLimits = 8;

// "in/s" (English) or "mm/s" (SI).
QString VelocityUnit(int system);
// 0.1, 0.2, 0.4, 1.0 in/s or 2.5, 5, 10, 25 mm/s.
std::vector<double> DefaultVelocityLimits(int system);
// The amplitude's length in one velocity unit times one second: 1/12 ft
// per inch, 1/1000 m per millimetre.
double VelocityLengthFactor(int system);

// The amplitude on the line of `limit` at x (Hz or rad/s, as `axis` says);
// infinite at x = 0.
double VelocityLineAmplitude(double limit, int system, TFrequencyAxis axis, double x);

// The line of `limit` as a polyline in axis values, the part inside the
// view only: from where it enters the view (its top edge or its left edge)
// to where it leaves (its right edge or its bottom edge), with points dense
// enough for the steep and for the flat part of the curve. Empty when the
// line misses the view (x ≤ 0 holds no line).
std::vector<QPointF> VelocityLinePoints(double limit, int system, TFrequencyAxis axis, const TView& view,
                                        int samples = 96);

// The label of a line: "5 mm/s", "0.1 in/s".
QString VelocityLabel(double limit, int system);

// The limits as the user types them ("2.5, 5, 10, 25"; commas, semicolons
// or blanks between them) and back. Parsing sorts them and drops repeats;
// false with the reason in `error` when the text holds something that is
// not a positive number, nothing at all, or more than kMaxVelocityLimits.
bool ParseVelocityLimits(const QString& text, std::vector<double>& limits, QString* error = nullptr);
QString FormatVelocityLimits(const std::vector<double>& limits);

// The limits remembered in the program's settings (group "VelocityLimits",
// one key per unit system); the defaults when none or unreadable.
std::vector<double> StoredVelocityLimits(int system);
void StoreVelocityLimits(int system, const std::vector<double>& limits);

// Whether a result plot shows translational amplitudes in feet or metres
// (the displacement response plot), the plots that can carry the lines.
bool HasTranslationalAmplitudes(const TGraphPlot& plot);

}  // namespace terva::gui
