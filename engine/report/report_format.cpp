#include "engine/report/report_format.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace terva::fmt {
namespace {

void AppendStars(std::string& out, int w) { out.append(static_cast<size_t>(w > 0 ? w : 0), '*'); }

// body right-justified in w columns, or w asterisks when it does not fit.
void AppendRight(std::string& out, std::string_view body, int w) {
  if (static_cast<int>(body.size()) > w) return AppendStars(out, w);
  out.append(static_cast<size_t>(w) - body.size(), ' ');
  out.append(body);
}

// Both conversions below are exact: the digits are those of the binary value
// rounded once, ties to even, as the C library's %f and %e write them.
constexpr int kMaxDecimals = 300;  // a float's fixed form needs at most 39 + 1 + d characters

}  // namespace

void AppendI(std::string& out, long long value, int w) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  AppendRight(out, std::string_view(buf, static_cast<size_t>(r.ptr - buf)), w);
}

void AppendF(std::string& out, Real value, int w, int d) {
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return AppendStars(out, w);  // a value that is no number fits no field
  if (d < 0) d = 0;
  if (d > kMaxDecimals) d = kMaxDecimals;  // no field of the report comes near this
  char buf[1 + 40 + 1 + kMaxDecimals];
  char* const digits = buf + 1;
  const auto r = std::to_chars(digits, buf + sizeof buf, std::fabs(v), std::chars_format::fixed, d);
  char* begin = digits;
  if (r.ptr - digits > 1 && digits[0] == '0' && digits[1] == '.') {
    // A leading zero is optional: drop it when the field is too narrow.
    const bool negative = std::signbit(v);
    if (r.ptr - digits + (negative ? 1 : 0) > w) ++begin;
  }
  if (std::signbit(v)) *--begin = '-';
  AppendRight(out, std::string_view(begin, static_cast<size_t>(r.ptr - begin)), w);
}

void AppendE(std::string& out, Real value, int w, int d, int scale) {
  const double v = static_cast<double>(value);
  if (!std::isfinite(v)) return AppendStars(out, w);  // a value that is no number fits no field
  if (d < 0) d = 0;
  if (d > 60) d = 60;  // far beyond a float's digits: only zeros would follow
  const bool negative = std::signbit(v);
  const double a = std::fabs(v);

  // The digits as the C library's %.Ne writes them: m.mmm e±xx
  char sci[2 + 1 + 64 + 8];
  const int precision = scale >= 1 ? d : (d > 0 ? d : 1) - 1;
  const auto r = std::to_chars(sci, sci + sizeof sci, a, std::chars_format::scientific, precision);
  const char* e = sci;
  while (e < r.ptr && *e != 'e') ++e;
  int exponent = 0;  // to_chars writes no terminating zero: read the digits up to r.ptr
  for (const char* c = e + 2; c < r.ptr; ++c) exponent = exponent * 10 + (*c - '0');
  if (e + 1 < r.ptr && e[1] == '-') exponent = -exponent;

  char body[1 + 2 + 64 + 8];
  char* p = body + 1;  // room for the sign
  if (scale >= 1) {
    // d.ddd: one digit before the point, d after it
    for (const char* c = sci; c < e; ++c) *p++ = *c;
    if (a == 0.0) exponent = 0;
  } else {
    // 0.ddd: d significant digits after the point
    *p++ = '0';
    *p++ = '.';
    int taken = 0;
    for (const char* c = sci; c < e && taken < d; ++c)
      if (*c != '.') *p++ = *c, ++taken;
    exponent = a == 0.0 ? 0 : exponent + 1;
  }
  char* mantissaEnd = p;
  const int ae = std::abs(exponent);
  if (ae <= 99) {
    *p++ = 'E';
    *p++ = exponent < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + ae / 10);
    *p++ = static_cast<char>('0' + ae % 10);
  } else {
    *p++ = exponent < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + ae / 100 % 10);
    *p++ = static_cast<char>('0' + ae / 10 % 10);
    *p++ = static_cast<char>('0' + ae % 10);
  }
  char* begin = body + 1;
  if (p - begin + (negative ? 1 : 0) > w && mantissaEnd - begin > 1 && begin[0] == '0' && begin[1] == '.') ++begin;
  if (negative) *--begin = '-';
  AppendRight(out, std::string_view(begin, static_cast<size_t>(p - begin)), w);
}

void AppendA(std::string& out, std::string_view text, int w) {
  const std::string_view kept = text.substr(0, static_cast<size_t>(w > 0 ? w : 0));
  out.append(kept);
  out.append(static_cast<size_t>(w > 0 ? w : 0) - kept.size(), ' ');
}

std::string I(long long value, int w) {
  std::string s;
  AppendI(s, value, w);
  return s;
}

std::string F(Real value, int w, int d) {
  std::string s;
  AppendF(s, value, w, d);
  return s;
}

std::string E(Real value, int w, int d, int scale) {
  std::string s;
  AppendE(s, value, w, d, scale);
  return s;
}

std::string A(std::string_view text, int w) {
  std::string s;
  AppendA(s, text, w);
  return s;
}

}  // namespace terva::fmt
