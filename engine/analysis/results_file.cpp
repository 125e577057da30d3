#include "engine/analysis/results_file.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace terva {
namespace {

constexpr const char* kDof6[kDof] = {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};
constexpr const char* kStiffness[8] = {"Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp"};
constexpr const char* kDamping[8] = {"Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp"};

// 10^e for the scalings of a float's decimal digits (e from -35 to 54).
double Power10(int e) {
  static const std::array<double, 90> powers = [] {
    std::array<double, 90> p{};
    for (int i = 0; i < 90; ++i) p[static_cast<size_t>(i)] = std::pow(10.0, i - 35);
    return p;
  }();
  return powers[static_cast<size_t>(std::clamp(e, -35, 54) + 35)];
}

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// A float in nine significant digits (trailing zeros dropped) at p; "null"
// when it is no number. Nine digits are enough for every float to read back
// to itself, read as a float or (as JSON readers do) as a double rounded to a
// float: the decimal lies within 5e-9 of the value, relative, and the
// float's neighbours at least 6e-8 away; the scaling in doubles adds no more
// than 1e-15 (checked on every positive float). It takes a third of the time
// of the shortest form.
char* WriteNumber(Real x, char* p) {
  if (!std::isfinite(x)) return std::copy_n("null", 4, p);
  const auto bits = std::bit_cast<std::uint32_t>(x);
  if (bits >> 31) *p++ = '-';
  const double a = std::fabs(static_cast<double>(x));
  if (a == 0.0) {
    *p++ = '0';
    return p;
  }
  const int biased = static_cast<int>((bits >> 23) & 0xffu);
  int e2 = biased - 126;  // a in [2^(e2-1), 2^e2)
  if (biased == 0) std::frexp(a, &e2);  // below the normal range
  int e10 = ((e2 - 1) * 78913) >> 18;  // floor((e2 - 1)·log10 2): the decimal exponent or one less
  double m = a * Power10(8 - e10);
  if (m >= 999999999.5) m = a * Power10(8 - ++e10);
  auto n = static_cast<std::uint32_t>(m + 0.5);  // nine digits
  if (n >= 1000000000u) n /= 10, ++e10;
  char d[10];
  d[0] = static_cast<char>('0' + n / 100000000u);
  std::uint32_t rest = n % 100000000u;
  for (int i = 7; i >= 1; i -= 2, rest /= 100) std::memcpy(d + i, kPairs + 2 * (rest % 100), 2);
  int k = 9;
  while (k > 1 && d[k - 1] == '0') --k;
  if (e10 >= -4 && e10 < 9) {  // plain decimals
    if (e10 >= 0) {
      for (int i = 0; i <= e10; ++i) *p++ = i < k ? d[i] : '0';
      if (k > e10 + 1) *p++ = '.', p = std::copy(d + e10 + 1, d + k, p);
    } else {
      *p++ = '0', *p++ = '.';
      p = std::fill_n(p, -e10 - 1, '0');
      p = std::copy(d, d + k, p);
    }
  } else {  // d.ddde±x
    *p++ = d[0];
    if (k > 1) *p++ = '.', p = std::copy(d + 1, d + k, p);
    *p++ = 'e';
    if (e10 < 0) *p++ = '-', e10 = -e10;
    if (e10 >= 10) *p++ = static_cast<char>('0' + e10 / 10);
    *p++ = static_cast<char>('0' + e10 % 10);
  }
  return p;
}

// The document, written to its file through a buffer of its own: half a
// megabyte of text costs less in small pieces than in fresh memory.
class Json {
 public:
  explicit Json(std::FILE* file) : file_(file), buffer_(new char[kBuffer]), p_(buffer_.get()) {}

  void Raw(std::string_view s) {
    Reserve(s.size());
    if (s.size() > kBuffer) return Put(s.data(), s.size());
    p_ = std::copy(s.begin(), s.end(), p_);
  }
  void Raw(char c) {
    Reserve(1);
    *p_++ = c;
  }

  void Number(Real x) {
    Reserve(kNumber);
    p_ = WriteNumber(x, p_);
  }

  // A string; bytes above 127 are taken as Latin-1 (as the report holds them).
  void String(std::string_view s) {
    static const char kHex[] = "0123456789abcdef";
    Raw('"');
    for (const char ch : s) {
      const auto c = static_cast<unsigned char>(ch);
      Reserve(6);
      if (c == '"' || c == '\\') {
        *p_++ = '\\';
        *p_++ = static_cast<char>(c);
      } else if (c < 0x20 || c >= 0x7f) {
        p_ = std::copy_n("\\u00", 4, p_);
        *p_++ = kHex[c >> 4];
        *p_++ = kHex[c & 15];
      } else {
        *p_++ = static_cast<char>(c);
      }
    }
    Raw('"');
  }

  void Key(std::string_view key) {
    String(key);
    Raw(": ");
  }

  // [value(1), ..., value(n)]
  template <typename F>
  void List(int n, F value) {
    Raw('[');
    for (int k = 1; k <= n; ++k) {
      Reserve(kNumber + 2);
      if (k > 1) *p_++ = ',', *p_++ = ' ';
      p_ = WriteNumber(value(k), p_);
    }
    Raw(']');
  }

  // {"name": [...], ...} of `count` named lists, each on a line of its own.
  template <typename F>
  void Lists(const char* const* names, int count, int n, F value, std::string_view indent) {
    Raw('{');
    for (int e = 0; e < count; ++e) {
      Raw(e ? ",\n" : "\n");
      Raw(indent);
      Raw("  ");
      Key(names[e]);
      List(n, [&](int k) { return value(e, k); });
    }
    Raw('\n');
    Raw(indent);
    Raw('}');
  }

  // Writes what is left: 0, or the error number of the first failed write.
  int Close() {
    Flush();
    return error_;
  }

 private:
  static constexpr size_t kBuffer = 1 << 16;
  static constexpr size_t kNumber = 24;  // the longest number: -1.23456789e-45

  void Reserve(size_t n) {
    if (static_cast<size_t>(buffer_.get() + kBuffer - p_) < n) Flush();
  }
  void Flush() {
    Put(buffer_.get(), static_cast<size_t>(p_ - buffer_.get()));
    p_ = buffer_.get();
  }
  void Put(const char* data, size_t size) {
    errno = 0;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size && error_ == 0) error_ = errno != 0 ? errno : EIO;
  }

  std::FILE* file_;
  std::unique_ptr<char[]> buffer_;
  char* p_;
  int error_ = 0;
};

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  return s.substr(b);
}

const char* FoundationName(EngineFoundation f) {
  switch (f) {
    case EngineFoundation::HalfSpace: return "HALF-SPACE";
    case EngineFoundation::Stratum: return "STRATUM";
    case EngineFoundation::Multilayer: return "MULTILAYER";
    case EngineFoundation::Pile: return "PILE";
    default: return "";
  }
}

const char* LoadName(EngineLoad l) {
  switch (l) {
    case EngineLoad::Harmonic: return "harmonic";
    case EngineLoad::Transient: return "transient";
    case EngineLoad::Random: return "random";
    default: return "";
  }
}

}  // namespace

int WriteResultsFile(std::FILE* file, const ProblemData& p, const ResultStore& r) {
  const int n = std::clamp(r.count, 0, kMaxFrequencies);
  Json j(file);
  j.Raw("{\n  \"format\": \"terva-engine-results\",\n  \"version\": 1,\n  ");
  j.Key("title");
  j.String(Trimmed(p.run.Title));
  j.Raw(",\n  ");
  j.Key("foundation");
  j.String(FoundationName(p.status.FoundationType));
  j.Raw(",\n  ");
  j.Key("load");
  j.String(LoadName(p.status.LoadType));
  j.Raw(",\n  ");
  j.Key("dimensionless");
  j.Raw(p.run.DimensionlessResponse ? "true" : "false");
  j.Raw(",\n  ");
  j.Key("units");
  const UnitLabels& u = p.labels;
  const std::pair<const char*, const std::string*> units[] = {
      {"length", &u.length},
      {"force", &u.force},
      {"stiffness_translation", &u.transStiffness},
      {"stiffness_rotation", &u.rotStiffness},
      {"stiffness_cross", &u.crossStiffness},
      {"damping_translation", &u.transDamping},
      {"damping_rotation", &u.rotDamping},
      {"damping_cross", &u.crossDamping}};
  j.Raw("{");
  bool first = true;
  for (const auto& [key, label] : units) {
    j.Raw(first ? "" : ", ");
    first = false;
    j.Key(key);
    j.String(Trimmed(*label));
  }
  j.Raw("},\n  ");
  j.Key("hz");
  j.String("rad/s * 0.5 / 3.14");
  j.Raw(",\n  ");
  j.Key("count");
  j.Raw(std::to_string(n));
  j.Raw(",\n  ");
  j.Key("omega");
  j.List(n, [&](int k) { return r.omega(k); });
  j.Raw(",\n  ");
  j.Key("stiffness");
  j.Lists(kStiffness, 8, n, [&](int e, int k) { return r.stiffness(e + 1)(k); }, "  ");
  j.Raw(",\n  ");
  j.Key("damping");
  j.Lists(kDamping, 8, n, [&](int e, int k) { return r.damping(e + 1)(k); }, "  ");

  switch (p.status.LoadType) {
    case EngineLoad::Harmonic:
      j.Raw(",\n  ");
      j.Key("response");
      j.Raw("{\n    ");
      j.Key("amplitude");
      j.Lists(kDof6, kDof, n, [&](int d, int k) { return r.amplitude(d + 1)(k); }, "    ");
      j.Raw(",\n    ");
      j.Key("real");
      j.Lists(kDof6, kDof, n, [&](int d, int k) { return r.motion(d + 1)(k).real(); }, "    ");
      j.Raw(",\n    ");
      j.Key("imag");
      j.Lists(kDof6, kDof, n, [&](int d, int k) { return r.motion(d + 1)(k).imag(); }, "    ");
      j.Raw("\n  }");
      break;
    case EngineLoad::Transient: {
      const int points = static_cast<int>(std::min(r.time.size(), r.history.size()));
      const int spectra = std::min(n, kMaxTransientPoints);
      j.Raw(",\n  ");
      j.Key("transient");
      j.Raw("{\n    ");
      j.Key("time");
      j.List(points, [&](int t) { return r.time[static_cast<size_t>(t - 1)]; });
      j.Raw(",\n    ");
      j.Key("history");
      j.Lists(kDof6, kDof, points,
              [&](int d, int t) { return r.history[static_cast<size_t>(t - 1)][static_cast<size_t>(d)]; }, "    ");
      j.Raw(",\n    ");
      j.Key("spectrum");
      j.Raw("{\n      ");
      j.Key("real");
      j.Lists(kDof6, kDof, spectra, [&](int d, int k) { return r.spectrum(k)(d + 1).real(); }, "      ");
      j.Raw(",\n      ");
      j.Key("imag");
      j.Lists(kDof6, kDof, spectra, [&](int d, int k) { return r.spectrum(k)(d + 1).imag(); }, "      ");
      j.Raw("\n    }\n  }");
      break;
    }
    case EngineLoad::Random:
      j.Raw(",\n  ");
      j.Key("random");
      j.Raw("{\n    ");
      j.Key("spectrum");
      j.Lists(kDof6, kDof, n, [&](int d, int k) { return r.amplitude(d + 1)(k); }, "    ");
      j.Raw(",\n    ");
      j.Key("peak_factor");
      j.List(kDof, [&](int d) { return r.peakFactor[static_cast<size_t>(d - 1)]; });
      j.Raw(",\n    ");
      j.Key("maximum");
      j.List(kDof, [&](int d) { return r.maximum[static_cast<size_t>(d - 1)]; });
      j.Raw("\n  }");
      break;
    default: break;
  }
  j.Raw("\n}\n");
  return j.Close();
}

}  // namespace terva
