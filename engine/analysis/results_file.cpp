#include "engine/analysis/results_file.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace terva {
namespace {

constexpr const char* kDof6[kDof] = {"UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};
constexpr const char* kStiffness[8] = {"Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp"};
constexpr const char* kDamping[8] = {"Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp"};

// The document is built in memory and written in one go.
class Json {
 public:
  explicit Json(size_t reserve) { text_.reserve(reserve); }

  void Raw(std::string_view s) { text_.append(s); }

  // The shortest text that reads back to the same float, read as a float or
  // (as JSON readers do) as a double rounded to a float; null when x is no
  // number. Of all 2^31 positive finite floats one alone, 7.03853069e-26,
  // has a shortest form that a reader going through a double rounds to its
  // neighbour; it gets the double's shortest form, which reads back exactly.
  void Number(Real x) {
    if (!std::isfinite(x)) return text_.append("null"), void();
    char buf[32];
    const auto r = std::bit_cast<std::uint32_t>(x) << 1 == 0x15ae43fdu << 1
                       ? std::to_chars(buf, buf + sizeof buf, static_cast<double>(x))
                       : std::to_chars(buf, buf + sizeof buf, x);
    text_.append(buf, static_cast<size_t>(r.ptr - buf));
  }

  // A string; bytes above 127 are taken as Latin-1 (as the report holds them).
  void String(std::string_view s) {
    static const char kHex[] = "0123456789abcdef";
    text_.push_back('"');
    for (const char ch : s) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == '"' || c == '\\') {
        text_.push_back('\\');
        text_.push_back(static_cast<char>(c));
      } else if (c < 0x20 || c >= 0x7f) {
        text_.append("\\u00");
        text_.push_back(kHex[c >> 4]);
        text_.push_back(kHex[c & 15]);
      } else {
        text_.push_back(static_cast<char>(c));
      }
    }
    text_.push_back('"');
  }

  void Key(std::string_view key) {
    String(key);
    text_.append(": ");
  }

  // [value(1), ..., value(n)]
  template <typename F>
  void List(int n, F value) {
    text_.push_back('[');
    for (int k = 1; k <= n; ++k) {
      if (k > 1) text_.append(", ");
      Number(value(k));
    }
    text_.push_back(']');
  }

  // {"name": [...], ...} of `count` named lists, each on a line of its own.
  template <typename F>
  void Lists(const char* const* names, int count, int n, F value, std::string_view indent) {
    text_.push_back('{');
    for (int e = 0; e < count; ++e) {
      text_.append(e ? ",\n" : "\n").append(indent).append("  ");
      Key(names[e]);
      List(n, [&](int k) { return value(e, k); });
    }
    text_.push_back('\n');
    text_.append(indent).push_back('}');
  }

  const std::string& text() const { return text_; }

 private:
  std::string text_;
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

bool WriteResultsFile(std::FILE* file, const ProblemData& p, const ResultStore& r) {
  const int n = std::clamp(r.count, 0, kMaxFrequencies);
  Json j(static_cast<size_t>(n) * 16 * 40 + 4096);
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
  const std::string& text = j.text();
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace terva
