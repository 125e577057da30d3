// Fortran-style edit descriptors for the fixed-width report.
//
// Every number in the report is written through these routines so that a
// layout in the code reads like the layout it prints:
//   Line().A("GRAVITATIONAL CONSTANT SET TO").F(g, 7, 2).X(1).A(label)
// A value that does not fit its field prints as w asterisks, as a Fortran
// compiler does. Output matches gfortran for single-precision values, except
// that NaN and infinity also print as w asterisks: the report never shows them.
#pragma once

#include <string>
#include <string_view>

#include "engine/core/scalar.hpp"

namespace terva::fmt {

// Iw: integer right-justified in w columns.
std::string I(long long value, int w);
// Fw.d: fixed point, w columns, d decimals.
std::string F(Real value, int w, int d);
// Ew.d: exponent form 0.ddd E+xx (scale 0), or with 1P (scale 1) d.ddd E+xx.
std::string E(Real value, int w, int d, int scale = 0);
// Aw: text left in w columns (blank-padded, cut on the right when longer).
std::string A(std::string_view text, int w);

// The same fields appended to out, without a string of their own.
void AppendI(std::string& out, long long value, int w);
void AppendF(std::string& out, Real value, int w, int d);
void AppendE(std::string& out, Real value, int w, int d, int scale);
void AppendA(std::string& out, std::string_view text, int w);

// One report line being built field by field. The control column is not part
// of the line; the report writer adds it.
class Line {
 public:
  Line() = default;
  explicit Line(std::string_view text) : text_(text) {}

  Line& X(int n) { text_.append(static_cast<size_t>(n > 0 ? n : 0), ' '); return *this; }
  Line& A(std::string_view text) { text_.append(text); return *this; }
  Line& A(std::string_view text, int w) { AppendA(text_, text, w); return *this; }
  Line& I(long long value, int w) { AppendI(text_, value, w); return *this; }
  Line& F(Real value, int w, int d) { AppendF(text_, value, w, d); return *this; }
  Line& E(Real value, int w, int d) { AppendE(text_, value, w, d, 0); return *this; }
  Line& PE(Real value, int w, int d) { AppendE(text_, value, w, d, 1); return *this; }
  Line& Stars(int n) { text_.append(static_cast<size_t>(n > 0 ? n : 0), '*'); return *this; }
  Line& Repeat(char c, int n) { text_.append(static_cast<size_t>(n > 0 ? n : 0), c); return *this; }

  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

}  // namespace terva::fmt
