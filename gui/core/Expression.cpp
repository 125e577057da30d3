// The expression evaluator: a text-rewriting interpreter. Parenthesised groups
// and every reduced operator triple are replaced by their value written with
// 18 significant digits, so the text is the only state between the steps.
#include "gui/core/Expression.hpp"

#include <QList>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace terva::gui {
namespace {

const QString kPrefix = QStringLiteral("Entry could not be evaluated:\r");

// Reasons of the evaluator.
const char* const kBlank = "entry cannot be blank";
const char* const kParentheses = "() (parentheses) do not match";
const char* const kInvalidExpression = "invalid expression";
const char* const kFactorial = "! (factoral) applicable to integers only";
const char* const kHex = "invalid use of $ (hex function)";
const char* const kInvalidCharacters = "invalid character(s) in expression";
// Arithmetic faults.
const char* const kDivisionByZero = "division by zero";
const char* const kOverflow = "floating point overflow";
const char* const kInvalidOperation = "invalid floating point operation";
const char* const kLogarithm = "logarithm of a non-positive number";
const char* const kSquareRoot = "square root of a negative number";
const char* const kDomain = "argument outside the function's domain";

// A value or the reason why there is none.
struct Result {
  long double value = 0.0L;
  const char* reason = nullptr;
  bool ok() const { return reason == nullptr; }
};

Result Fail(const char* reason) { return Result{0.0L, reason}; }

// Wraps a computed value: infinities and NaNs are faults, never values.
Result Checked(long double value) {
  if (std::isnan(value)) return Fail(kInvalidOperation);
  if (std::isinf(value)) return Fail(kOverflow);
  return Result{value, nullptr};
}

Evaluation Failure(const QString& reason) { return Evaluation{false, 0.0L, kPrefix + reason}; }

// ---------------------------------------------------------------- functions

enum class Function {
  kArctanh, kArctan, kCotan, kTanh, kTan, kArccosh, kArccos, kCosh, kCosec, kCos, kSec,
  kArcsinh, kArcsin, kSinh, kSin, kCsc, kAbs, kFrac, kInt, kLn, kRound, kCeil, kFloor, kLog, kSqrt,
};

struct FunctionName {
  const char* name;
  Function function;
};

// Tried in this order; the first name that is a prefix of the operand wins.
constexpr FunctionName kFunctions[] = {
    {"arctanh", Function::kArctanh}, {"arctan", Function::kArctan}, {"cotan", Function::kCotan},
    {"tanh", Function::kTanh},       {"tan", Function::kTan},       {"arccosh", Function::kArccosh},
    {"arccos", Function::kArccos},   {"cosh", Function::kCosh},     {"cosec", Function::kCosec},
    {"cos", Function::kCos},         {"sec", Function::kSec},       {"arcsinh", Function::kArcsinh},
    {"arcsin", Function::kArcsin},   {"sinh", Function::kSinh},     {"sin", Function::kSin},
    {"csc", Function::kCsc},         {"abs", Function::kAbs},       {"frac", Function::kFrac},
    {"int", Function::kInt},         {"ln", Function::kLn},         {"round", Function::kRound},
    {"ceil", Function::kCeil},       {"floor", Function::kFloor},   {"log", Function::kLog},
    {"sqrt", Function::kSqrt},
};

// The function whose name starts `text` (compared without case), with the
// length of its name.
std::optional<std::pair<Function, qsizetype>> FunctionPrefix(QStringView text) {
  for (const FunctionName& f : kFunctions) {
    const QLatin1StringView name(f.name);
    if (text.startsWith(name, Qt::CaseInsensitive)) return std::make_pair(f.function, name.size());
  }
  return std::nullopt;
}

bool IsFunctionName(QStringView text) {
  for (const FunctionName& f : kFunctions) {
    if (text.compare(QLatin1StringView(f.name), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

Result Reciprocal(long double denominator) {
  if (denominator == 0.0L) return Fail(kDivisionByZero);
  return Checked(1.0L / denominator);
}

// Rounds to the nearest integer, halves to the even neighbour.
long double RoundHalfEven(long double x) {
  const long double lower = std::floor(x);
  const long double fraction = x - lower;
  if (fraction > 0.5L) return lower + 1.0L;
  if (fraction < 0.5L) return lower;
  return std::fmod(lower, 2.0L) == 0.0L ? lower : lower + 1.0L;
}

Result Apply(Function f, long double x) {
  switch (f) {
    case Function::kArctanh:
      if (!(std::fabs(x) < 1.0L)) return Fail(kDomain);
      return Checked(std::atanh(x));
    case Function::kArctan: return Checked(std::atan(x));
    case Function::kCotan: return Reciprocal(std::tan(x));
    case Function::kTanh: return Checked(std::tanh(x));
    case Function::kTan: return Checked(std::tan(x));
    case Function::kArccosh:
      if (x < 1.0L) return Fail(kDomain);
      return Checked(std::acosh(x));
    case Function::kArccos:
      if (std::fabs(x) > 1.0L) return Fail(kDomain);
      return Checked(std::acos(x));
    case Function::kCosh: return Checked(std::cosh(x));
    case Function::kCosec:
    case Function::kCsc: return Reciprocal(std::sin(x));
    case Function::kCos: return Checked(std::cos(x));
    case Function::kSec: return Reciprocal(std::cos(x));
    case Function::kArcsinh: return Checked(std::asinh(x));
    case Function::kArcsin:
      if (std::fabs(x) > 1.0L) return Fail(kDomain);
      return Checked(std::asin(x));
    case Function::kSinh: return Checked(std::sinh(x));
    case Function::kSin: return Checked(std::sin(x));
    case Function::kAbs: return Checked(std::fabs(x));
    case Function::kFrac: return Checked(x - std::trunc(x));
    case Function::kInt: return Checked(std::trunc(x));
    case Function::kLn:
      if (x <= 0.0L) return Fail(kLogarithm);
      return Checked(std::log(x));
    case Function::kRound: return Checked(RoundHalfEven(x));
    case Function::kCeil: return Checked(std::ceil(x));
    case Function::kFloor: return Checked(std::floor(x));
    case Function::kLog:
      if (x <= 0.0L) return Fail(kLogarithm);
      return Checked(std::log10(x));
    case Function::kSqrt:
      if (x < 0.0L) return Fail(kSquareRoot);
      return Checked(std::sqrt(x));
  }
  return Fail(kInvalidOperation);
}

// n! for integers; negative n give -(|n|!).
Result Factorial(long double n) {
  if (n != std::trunc(n)) return Fail(kFactorial);
  const long double magnitude = std::fabs(n);
  if (magnitude > 1800.0L) return Fail(kOverflow);  // 1755! already exceeds the extended range
  long double product = 1.0L;
  for (long double k = 2.0L; k <= magnitude; k += 1.0L) product *= k;
  return Checked(n < 0.0L ? -product : product);
}

// ---------------------------------------------------------------- literals

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// "$" followed by up to 32 bits of hexadecimal digits (an optional "-" first);
// the bits are read as a signed 32-bit integer, so $FFFFFFFF is -1.
Result Hexadecimal(QStringView digits) {
  bool negative = false;
  if (digits.startsWith(QLatin1Char('-'))) {
    negative = true;
    digits = digits.mid(1);
  }
  if (digits.isEmpty()) return Fail(kHex);
  std::uint64_t bits = 0;
  for (QChar c : digits) {
    const int digit = IsDigit(c) ? c.unicode() - '0'
                      : (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ? c.unicode() - 'a' + 10
                                                                          : -1;
    if (digit < 0) return Fail(kHex);
    bits = bits * 16 + static_cast<std::uint64_t>(digit);
    if (bits > 0xFFFFFFFFull) return Fail(kHex);
  }
  const long double value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
  return Result{negative ? -value : value, nullptr};
}

// A decimal number: [-] digits [. digits] [e [+|-] digits], "." as separator,
// independent of the locale. Numbers below the extended range read as zero.
Result Decimal(QStringView text) {
  std::string s;
  s.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    if (c.unicode() > 127) return Fail(kInvalidCharacters);
    s.push_back(static_cast<char>(c.unicode()));
  }
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  const std::size_t mantissaStart = i;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return Fail(kInvalidCharacters);
  const std::size_t mantissaEnd = i;
  if (i < s.size() && s[i] == 'e') {
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    std::size_t exponentDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exponentDigits;
    if (exponentDigits == 0) return Fail(kInvalidCharacters);
  }
  if (i != s.size()) return Fail(kInvalidCharacters);

  long double value = 0.0L;
  const char* first = s.data() + mantissaStart;
  const char* last = s.data() + s.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    // Beyond the extended range: below it when the exponent is negative and
    // the mantissa alone is representable (read as zero), else above it.
    long double mantissa = 0.0L;
    const auto parsed = std::from_chars(first, s.data() + mantissaEnd, mantissa, std::chars_format::fixed);
    const bool negativeExponent = mantissaEnd + 1 < s.size() && s[mantissaEnd + 1] == '-';
    if (negativeExponent && parsed.ec == std::errc()) return Result{negative ? -0.0L : 0.0L, nullptr};
    return Fail(kOverflow);
  }
  if (error != std::errc() || end != last) return Fail(kInvalidCharacters);
  return Checked(negative ? -value : value);
}

// ---------------------------------------------------------------- operands

// An operand: a constant, a function applied to an operand, an operand with a
// trailing "!", a "$" hexadecimal literal or a decimal number. Function and
// factorial chains are unwound iteratively, so long chains cannot exhaust the
// stack.
Result Operand(const QString& text) {
  QString s = text.toLower();
  s.replace(QStringLiteral("--"), QString());
  QStringView rest(s);

  struct Pending {
    bool factorial;
    Function function;
  };
  std::vector<Pending> pending;
  Result base;
  for (;;) {
    if (rest == u"pi") { base = Result{std::numbers::pi_v<long double>, nullptr}; break; }
    if (rest == u"-pi") { base = Result{-std::numbers::pi_v<long double>, nullptr}; break; }
    if (rest == u"e") { base = Result{std::numbers::e_v<long double>, nullptr}; break; }
    if (rest == u"-e") { base = Result{-std::numbers::e_v<long double>, nullptr}; break; }
    if (const auto f = FunctionPrefix(rest)) {
      pending.push_back(Pending{false, f->first});
      rest = rest.mid(f->second);
      continue;
    }
    if (rest.endsWith(QLatin1Char('!'))) {
      pending.push_back(Pending{true, Function::kAbs});
      rest.chop(1);
      continue;
    }
    if (rest.startsWith(QLatin1Char('$'))) { base = Hexadecimal(rest.mid(1)); break; }
    base = Decimal(rest);
    break;
  }
  for (auto p = pending.rbegin(); p != pending.rend() && base.ok(); ++p) {
    base = p->factorial ? Factorial(base.value) : Apply(p->function, base.value);
  }
  return base;
}

// ---------------------------------------------------------------- operators

bool IsOperator(QChar c) {
  switch (c.unicode()) {
    case '^': case '*': case '/': case '%': case '+': case '=': case '|': case '&': return true;
    default: return false;
  }
}

int Level(QChar op) {
  switch (op.unicode()) {
    case '^': return 1;
    case '*': case '/': case '%': case '&': return 2;
    case '+': case '-': case '|': return 3;
    default: return 4;  // '='
  }
}

Result Binary(long double a, QChar op, long double b) {
  switch (op.unicode()) {
    case '^':
      if (a == 0.0L && b < 0.0L) return Fail(kDivisionByZero);
      if (a < 0.0L && b != std::trunc(b)) return Fail(kInvalidOperation);
      return Checked(std::pow(a, b));
    case '*': return Checked(a * b);
    case '/':
      if (b == 0.0L) return Fail(kDivisionByZero);
      return Checked(a / b);
    case '%': {
      const long double divisor = std::trunc(b);
      if (divisor == 0.0L) return Fail(kDivisionByZero);
      return Checked(std::fmod(std::trunc(a), divisor));  // sign of the dividend
    }
    case '&': return Result{(a != 0.0L && b != 0.0L) ? 1.0L : 0.0L, nullptr};
    case '+': return Checked(a + b);
    case '-': return Checked(a - b);
    case '|': return Result{(a != 0.0L || b != 0.0L) ? 1.0L : 0.0L, nullptr};
    default: return Result{a == b ? 1.0L : 0.0L, nullptr};  // '='
  }
}

// Classifies every "-" and splits the text into operands and operators. A "-"
// is a sign when it starts the text or the operand (the text after the last
// operator) is so far exactly a function name, "!" or "$", or when the
// character before it is one of % & * + / = E ^ e | or another "-".
void Split(const QString& text, QStringList& operands, QList<QChar>& operators) {
  qsizetype operandStart = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    bool isOperator = IsOperator(c);
    if (c == QLatin1Char('-')) {
      const QStringView sofar = QStringView(text).mid(operandStart, i - operandStart);
      bool sign = i == 0 || IsFunctionName(sofar) || sofar == u"!" || sofar == u"$";
      if (!sign) {
        const QChar before = text.at(i - 1);
        sign = QStringView(u"%&*+/=E^e|-").contains(before);
      }
      isOperator = !sign;
    }
    if (isOperator) {
      operands.append(text.mid(operandStart, i - operandStart));
      operators.append(c);
      operandStart = i + 1;
    }
  }
  operands.append(text.mid(operandStart));
}

// An intermediate value as text, with 18 significant digits.
QString OperandText(long double value) {
  char buffer[128];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 18);
  if (error != std::errc()) return QString();
  return QString::fromLatin1(buffer, end - buffer);
}

}  // namespace


Evaluation EvaluateExpression(const QString& input) {
  QString text = input;
  text.remove(QLatin1Char(' '));
  text.remove(QLatin1Char('\t'));
  if (text.isEmpty()) return Failure(QLatin1String(kBlank));

  // Parenthesised groups, innermost first.
  for (;;) {
    const qsizetype close = text.indexOf(QLatin1Char(')'));
    if (close < 0) break;
    const qsizetype open = text.lastIndexOf(QLatin1Char('('), close);
    if (open < 0) return Failure(QLatin1String(kParentheses));
    // A group glued to a number, as in "2(3+1)" or "(2)(3)", would merge
    // digits into a wrong value ("23+1"): refused rather than misread.
    const auto isNumeral = [](QChar c) { return IsDigit(c) || c == QLatin1Char('.'); };
    if ((open > 0 && isNumeral(text.at(open - 1))) || (close + 1 < text.size() && isNumeral(text.at(close + 1))) ||
        (close + 1 < text.size() && text.at(close + 1) == QLatin1Char('('))) {
      return Failure(QLatin1String(kInvalidExpression));
    }
    const Evaluation inner = EvaluateExpression(text.mid(open + 1, close - open - 1));
    if (!inner.ok) return inner;
    // Written without the "+" of a large exponent ("1e20", not "1e+20"), so
    // that the value reads back as one operand.
    QString value = OperandText(inner.value);
    value.replace(QStringLiteral("e+"), QStringLiteral("e"));
    text.replace(open, close - open + 1, value);
  }

  QStringList operands;
  QList<QChar> operators;
  Split(text, operands, operators);
  for (const QString& operand : operands) {
    if (operand.isEmpty()) return Failure(QLatin1String(kInvalidExpression));
  }

  // Reduce by precedence level, each level left to right; intermediate values
  // are held as text with 18 significant digits.
  for (int level = 1; level <= 4; ++level) {
    QStringList nextOperands{operands.front()};
    QList<QChar> nextOperators;
    for (qsizetype i = 0; i < operators.size(); ++i) {
      if (Level(operators[i]) != level) {
        nextOperators.append(operators[i]);
        nextOperands.append(operands[i + 1]);
        continue;
      }
      const Result a = Operand(nextOperands.back());
      if (!a.ok()) return Failure(QLatin1String(a.reason));
      const Result b = Operand(operands[i + 1]);
      if (!b.ok()) return Failure(QLatin1String(b.reason));
      const Result r = Binary(a.value, operators[i], b.value);
      if (!r.ok()) return Failure(QLatin1String(r.reason));
      nextOperands.back() = OperandText(r.value);
    }
    operands = std::move(nextOperands);
    operators = std::move(nextOperators);
  }

  const Result result = Operand(operands.front());
  if (!result.ok()) return Failure(QLatin1String(result.reason));
  return Evaluation{true, result.value == 0.0L ? 0.0L : result.value, QString()};
}

}  // namespace terva::gui
