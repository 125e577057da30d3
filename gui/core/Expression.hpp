// The expression evaluator behind every numeric entry: a number or an
// arithmetic expression with functions, constants, factorial, hexadecimal
// literals, comparison and logical operators. Pure functions; no widgets.
#pragma once

#include <QString>

namespace terva::gui {

struct Evaluation {
  bool ok = false;
  long double value = 0.0L;
  QString message;  // on failure: "Entry could not be evaluated:" + "\r" + the reason
};

// Never returns an infinite or NaN value as ok. Arithmetic faults have the
// same message form, with the reasons "division by zero", "floating point
// overflow", "invalid floating point operation", "logarithm of a
// non-positive number", "square root of a negative number" and "argument
// outside the function's domain".
Evaluation EvaluateExpression(const QString& text);

}  // namespace terva::gui
