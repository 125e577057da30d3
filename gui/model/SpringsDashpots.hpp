// Equivalent springs and dashpots at an operating frequency: the six springs
// K and dashpots C (and the two cross terms) that model the foundation in a
// frame or finite-element program at the machine's speed, interpolated
// linearly in the frequency between the two computed frequencies around it,
// with the damping ratio D = C·ω / (2K) of each of the six modes.
//
// Frequencies are typed as a number with an optional unit: "1500 rpm",
// "25Hz", "157.08 rad/s" (case and blanks between number and unit do not
// matter; "." is the decimal separator). A number alone is in rad/s, the unit
// of the project's frequency range. Hz and rpm are converted as the report
// converts Hz (6.28 rad/s per Hz), so the Hz that the report and the exported
// files print beside a computed frequency give back that frequency. A
// frequency equal to a computed one, in single precision, takes its row.
#pragma once

#include <QString>

#include <array>

#include "gui/model/ResultsExport.hpp"

namespace terva::gui {

enum class TFrequencyUnit { RadPerSecond, Hz, Rpm };

struct TOperatingFrequency {
  bool ok = false;
  double value = 0.0;  // as typed
  TFrequencyUnit unit = TFrequencyUnit::RadPerSecond;
  double omega = 0.0;  // rad/s
  QString error;       // why the text was refused
};

// Reads "FREQ[rpm|Hz|rad/s]"; refuses an empty text, a word that is no
// number, an unknown unit and a frequency that is not positive.
TOperatingFrequency ParseOperatingFrequency(const QString& text);

// rad/s of a value in a unit, and back.
double ToRadPerSecond(double value, TFrequencyUnit unit);
double FromRadPerSecond(double omega, TFrequencyUnit unit);

struct TSpringsDashpots {
  bool ok = false;
  QString error;          // why there are none (outside the computed range, no impedance rows)
  double omega = 0.0;     // rad/s
  double below = 0.0;     // the computed frequencies around it (equal when it is one of them)
  double above = 0.0;
  std::array<double, TResultsData::kTerms> stiffness{};  // Kxx ... Kyp
  std::array<double, TResultsData::kTerms> damping{};    // Cxx ... Cyp
  // D of the six modes xx, yy, ww, ppx, ppy, zt; NaN where K is not positive
  std::array<double, 6> ratio{};
  bool fullPrecision = false;  // from the results file; else the graphic data file's three digits
};

// K, C and D at `omega` (rad/s) from the impedance rows of `data`. Refused
// with a message naming the computed range when omega lies outside it, and
// when the data hold no impedance rows (a run without MATRIX whose results
// file is missing). A frequency that agrees with a computed one to the
// report's four decimals (in rad/s or Hz) is that frequency: its row is
// taken as it is, so every computed frequency, both ends included, gives
// the report's constants.
TSpringsDashpots SpringsDashpotsAt(const TResultsData& data, double omega);

// A constant with six significant digits as the report prints it: the exact
// value rounded once, a tie to the even digit (29746.25 is 2.97462E+04).
QString ReportConstant(double value);

// The table as plain text (copyable): a heading with the frequency in rad/s,
// Hz and rpm and where it lies, a note when the values carry the graphic
// data file's three digits only, then one line per term with K, C (six
// digits, as the report) and their units and D for the six modes.
QString SpringsDashpotsTable(const TSpringsDashpots& values, const TResultsInfo& info);

}  // namespace terva::gui
