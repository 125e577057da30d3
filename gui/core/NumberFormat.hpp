// The program's general number format: how every value is shown (table
// cells, numeric entry fields, messages) and written to the project file.
//
// At most 8 significant digits, trailing zeros and a trailing point removed;
// plain decimal notation when the magnitude, rounded, is at least 0.00001
// and its integer part has at most 8 digits, otherwise the mantissa, "E" and
// the shortest exponent, signed only when negative (1.2345679E8, 1E-6).
// The separator is "." whatever the locale. Every text it gives for a finite
// value is a valid entry of the expression evaluator that reads back to the
// value shown.
#pragma once

#include <QString>

namespace terva::gui {

// A value that is not finite has no entry form; it shows as "NAN", "INF"
// or "-INF" (the project writer refuses such values before formatting).
QString FormatGeneral(long double value);

// The decimal digits and exponent of a finite value rounded to `digits`
// significant digits: value = (negative ? -1 : 1) * d.ddd... * 10^exponent.
struct TDecimal {
  bool negative = false;
  QString digits;  // `digits` of them, without a point
  int exponent = 0;
};
TDecimal ToDecimal(long double value, int digits);

// Makes the C library read and write numbers with "." again after Qt has set
// the process's locale from the environment (QCoreApplication does, on
// Unix): the engine called in this process, printf and strtod then never see
// a comma-decimal locale. Texts, dates and collation keep the user's locale.
// Every program of the project calls it right after making its application
// object.
void UseDecimalPoint();

}  // namespace terva::gui
