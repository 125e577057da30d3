#include "gui/core/NumberFormat.hpp"

#include <clocale>

#include <charconv>
#include <cmath>

namespace terva::gui {

namespace {

constexpr int kSignificantDigits = 8;
// Plain notation for decimal exponents in this range: from 0.00001 up to
// 8 integer digits.
constexpr int kLowestPlainExponent = -5;
constexpr int kHighestPlainExponent = 7;

}  // namespace

TDecimal ToDecimal(long double value, int digits) {
  char buffer[128];
  const int precision = digits > 1 ? digits - 1 : 0;
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
  const QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
  TDecimal decimal;
  qsizetype pos = 0;
  if (text.startsWith(u'-')) {
    decimal.negative = true;
    pos = 1;
  }
  const qsizetype e = text.indexOf(u'e');
  for (qsizetype i = pos; i < e; ++i)
    if (text.at(i) != u'.') decimal.digits += text.at(i);
  decimal.exponent = text.mid(e + 1).toInt();
  return decimal;
}

QString FormatGeneral(long double value) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (value == 0.0L) return QStringLiteral("0");
  const TDecimal d = ToDecimal(value, kSignificantDigits);
  QString digits = d.digits;
  while (digits.size() > 1 && digits.endsWith(u'0')) digits.chop(1);
  QString text = d.negative ? QStringLiteral("-") : QString();
  if (d.exponent >= kLowestPlainExponent && d.exponent <= kHighestPlainExponent) {
    if (d.exponent >= 0) {
      const int whole = d.exponent + 1;
      QString integer = digits.left(whole);
      while (integer.size() < whole) integer += u'0';
      text += integer;
      if (digits.size() > whole) text += u'.' + digits.mid(whole);
    } else {
      text += QStringLiteral("0.") + QString(-d.exponent - 1, u'0') + digits;
    }
  } else {
    text += digits.left(1);
    if (digits.size() > 1) text += u'.' + digits.mid(1);
    text += u'E' + QString::number(d.exponent);
  }
  return text;
}

void UseDecimalPoint() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace terva::gui
