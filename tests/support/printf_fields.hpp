// The report's F and E fields written through the C library's printf, as the
// engine wrote them before it used std::to_chars: the reference that the
// formatting tests and the formatting benchmark compare against.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/scalar.hpp"

namespace terva::printf_fields {

inline std::string Stars(int w) { return std::string(static_cast<size_t>(w > 0 ? w : 0), '*'); }

inline std::string RightJustify(const std::string& body, int w) {
  if (static_cast<int>(body.size()) > w) return Stars(w);
  return std::string(static_cast<size_t>(w) - body.size(), ' ') + body;
}

inline std::string F(Real value, int w, int d) {
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return Stars(w);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", d, std::fabs(v));
  std::string digits(buf);
  const std::string sign = std::signbit(v) ? "-" : "";
  std::string body = sign + digits;
  if (static_cast<int>(body.size()) > w && digits.size() > 1 && digits[0] == '0' && digits[1] == '.')
    body = sign + digits.substr(1);
  return RightJustify(body, w);
}

inline std::string E(Real value, int w, int d, int scale) {
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return Stars(w);
  const double a = std::fabs(v);
  std::string mantissa;
  int exponent = 0;
  char buf[64];
  if (scale >= 1) {
    std::snprintf(buf, sizeof buf, "%.*e", d, a);
    const std::string s(buf);
    const size_t epos = s.find('e');
    mantissa = s.substr(0, epos);
    exponent = a == 0.0 ? 0 : std::atoi(s.c_str() + epos + 1);
  } else {
    const int digits = d > 0 ? d : 1;
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, a);
    const std::string s(buf);
    const size_t epos = s.find('e');
    std::string sig;
    for (size_t k = 0; k < epos; ++k)
      if (s[k] != '.') sig += s[k];
    exponent = a == 0.0 ? 0 : std::atoi(s.c_str() + epos + 1) + 1;
    mantissa = "0." + sig.substr(0, static_cast<size_t>(d));
  }
  const int ae = std::abs(exponent);
  char ebuf[16];
  if (ae <= 99)
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exponent < 0 ? '-' : '+', ae);
  else
    std::snprintf(ebuf, sizeof ebuf, "%c%03d", exponent < 0 ? '-' : '+', ae);
  const std::string sign = std::signbit(v) ? "-" : "";
  std::string body = sign + mantissa + ebuf;
  if (static_cast<int>(body.size()) > w && mantissa.size() > 1 && mantissa[0] == '0' && mantissa[1] == '.')
    body = sign + mantissa.substr(1) + ebuf;
  return RightJustify(body, w);
}

}  // namespace terva::printf_fields
