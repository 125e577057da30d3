#include "engine/report/report_format.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace terva::fmt {
namespace {

std::string Stars(int w) { return std::string(static_cast<size_t>(w > 0 ? w : 0), '*'); }

std::string RightJustify(const std::string& body, int w) {
  if (static_cast<int>(body.size()) > w) return Stars(w);
  return std::string(static_cast<size_t>(w) - body.size(), ' ') + body;
}


}  // namespace

std::string I(long long value, int w) { return RightJustify(std::to_string(value), w); }

std::string F(Real value, int w, int d) {
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return Stars(w);  // a value that is no number fits no field
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", d, std::fabs(v));
  std::string digits(buf);
  const bool negative = std::signbit(v);
  const std::string sign = negative ? "-" : "";
  std::string body = sign;
  body += digits;
  if (static_cast<int>(body.size()) > w && digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
    // A leading zero is optional: drop it when the field is too narrow.
    body = sign;
    body.append(digits, 1, std::string::npos);
  }
  return RightJustify(body, w);
}

std::string E(Real value, int w, int d, int scale) {
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return Stars(w);  // a value that is no number fits no field
  const bool negative = std::signbit(v);
  const double a = std::fabs(v);

  std::string mantissa;  // without sign
  int exponent = 0;      // the printed exponent
  char buf[64];
  if (scale >= 1) {
    // d.ddd: one digit before the point, d after it
    std::snprintf(buf, sizeof buf, "%.*e", d, a);
    std::string s(buf);
    const size_t epos = s.find('e');
    mantissa = s.substr(0, epos);
    exponent = std::atoi(s.c_str() + epos + 1);
    if (a == 0.0) exponent = 0;
  } else {
    // 0.ddd: d significant digits after the point
    const int digits = d > 0 ? d : 1;
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, a);
    std::string s(buf);
    const size_t epos = s.find('e');
    std::string sig;
    for (size_t k = 0; k < epos; ++k)
      if (s[k] != '.') sig += s[k];
    exponent = (a == 0.0) ? 0 : std::atoi(s.c_str() + epos + 1) + 1;
    mantissa = "0." + sig.substr(0, static_cast<size_t>(d));
  }

  std::string expo;
  const int ae = std::abs(exponent);
  char ebuf[16];
  if (ae <= 99) {
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', ae);
  } else {
    std::snprintf(ebuf, sizeof ebuf, "%c%03d", exponent < 0 ? '-' : '+', ae);
  }
  expo = ebuf;

  const std::string sign = negative ? "-" : "";
  std::string body = sign;
  body += mantissa;
  body += expo;
  if (static_cast<int>(body.size()) > w && mantissa.size() > 1 && mantissa[0] == '0' && mantissa[1] == '.') {
    body = sign;
    body.append(mantissa, 1, std::string::npos);
    body += expo;
  }
  return RightJustify(body, w);
}

std::string A(std::string_view text, int w) {
  std::string s(text.substr(0, static_cast<size_t>(w > 0 ? w : 0)));
  s.append(static_cast<size_t>(w) - s.size(), ' ');
  return s;
}

}  // namespace terva::fmt
