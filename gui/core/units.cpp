// Unit templates: labels in the three variants and the conversion factor
// between the English and SI systems.
#include "gui/core/units.hpp"

#include <array>

namespace terva::gui {
namespace {

// One placeholder of the template language.
struct Placeholder {
  const char* name;
  const char* english;
  const char* si;
  const char* generic;
  long double factor;  // English units per SI unit
};

// Force class, indexed by the digit after "F" (0 = plain F; 3 is unused).
constexpr std::array<Placeholder, 7> kForce = {{
    {"F", "lbs", "kN", "F", 224.8089237L},
    {"F1", "kips", "kN", "F", 0.2248089237L},
    {"F2", "tons", "kN", "F", 0.1124044745L},
    {nullptr, nullptr, nullptr, nullptr, 1.0L},
    {"F4", "lb-sec2/in", "Mg", "M", 5.7101483L},
    {"F5", "sec", "sec", "T", 1.0L},
    {"F6", "slug", "Mg", "F", 68.364249L},
}};

// Length class, indexed by the digit after "L" (0 = plain L).
constexpr std::array<Placeholder, 4> kLength = {{
    {"L", "in", "m", "L", 39.37007874L},
    {"L1", "in", "mm", "L", 0.03937007874L},
    {"L2", "ft", "m", "L", 3.280839895L},
    {"L3", "rad", "rad", "L", 1.0L},
}};

const Placeholder& Force(int index) { return kForce[static_cast<std::size_t>(index)]; }
const Placeholder& Length(int index) { return kLength[static_cast<std::size_t>(index)]; }

// Systems outside 1..3 are taken as the nearest one.
int ClampSystem(int system) { return system <= kEnglish ? kEnglish : (system >= kGeneric ? kGeneric : system); }

QString LabelIn(const Placeholder& p, int system) {
  switch (ClampSystem(system)) {
    case kSI: return QString::fromLatin1(p.si);
    case kGeneric: return QString::fromLatin1(p.generic);
    default: return QString::fromLatin1(p.english);
  }
}

// Replaces every occurrence of the first placeholder of `candidates` (indices
// into `table`) that occurs in `text`; the others stay as they are.
template <std::size_t N>
void ReplaceFirstOccurring(QString& text, const std::array<Placeholder, N>& table,
                           std::initializer_list<int> candidates, int system) {
  for (int index : candidates) {
    const QString name = QString::fromLatin1(table[static_cast<std::size_t>(index)].name);
    if (text.contains(name)) {
      text.replace(name, LabelIn(table[static_cast<std::size_t>(index)], system));
      return;
    }
  }
}

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

long double IntPower(long double base, int exponent) {
  long double result = 1.0L;
  for (int i = 0; i < exponent; ++i) result *= base;
  return result;
}

// Factor of one side of the "/" (SI -> English):
//   [F-term ["^" digit] separator] [L-term ["^" digit]] literal text...
long double PartFactor(QString part) {
  long double force = 1.0L;
  if (part.startsWith(QLatin1Char('F'))) {
    int index = 0;
    if (part.size() > 1) {
      const char c = part.at(1).toLatin1();
      if (c == '1' || c == '2' || c == '4' || c == '5' || c == '6') index = c - '0';
    }
    int length = index == 0 ? 1 : 2;  // the term: "F" or "Fn"
    int exponent = 1;
    if (part.size() > length + 1 && part.at(length) == QLatin1Char('^') && IsDigit(part.at(length + 1))) {
      exponent = part.at(length + 1).digitValue();
      length += 2;
    }
    force = IntPower(Force(index).factor, exponent);
    part.remove(0, length + 1);  // the term and one separator character
  }

  long double length = 1.0L;
  if (part.startsWith(QLatin1Char('L'))) {
    int index = 0;
    if (part.size() > 1 && part.at(1) >= QLatin1Char('0') && part.at(1) <= QLatin1Char('3')) {
      index = part.at(1).digitValue();
    }
    // The exponent digit sits in the fourth position, as in "L2^3". A bare
    // "L^3" has no fourth character; its digit follows the "^" directly.
    int exponent = 1;
    if (part.size() >= 4 && IsDigit(part.at(3))) {
      exponent = part.at(3).digitValue();
    } else if (index == 0 && part.size() >= 3 && part.at(1) == QLatin1Char('^') && IsDigit(part.at(2))) {
      exponent = part.at(2).digitValue();
    }
    length = IntPower(Length(index).factor, exponent);
  }
  return force * length;
}

}  // namespace

QString TableUnitLabel(const QString& unitTemplate, int system) {
  QString label = unitTemplate;
  for (int index : {2, 1, 4, 5, 6, 0}) {
    label.replace(QString::fromLatin1(Force(index).name), LabelIn(Force(index), system));
  }
  for (int index : {3, 2, 1, 0}) {
    label.replace(QString::fromLatin1(Length(index).name), LabelIn(Length(index), system));
  }
  return label;
}

QString FieldUnitLabel(const QString& unitTemplate, int system) {
  if (ClampSystem(system) == kGeneric) return unitTemplate;
  QString label = unitTemplate;
  ReplaceFirstOccurring(label, kForce, {6, 5, 4, 2, 1, 0}, system);
  ReplaceFirstOccurring(label, kLength, {2, 1, 3, 0}, system);
  return label;
}

QString AxisUnitLabel(const QString& unitTemplate, int system) {
  if (ClampSystem(system) == kGeneric) return unitTemplate;
  QString label = unitTemplate;
  ReplaceFirstOccurring(label, kForce, {2, 1, 0}, system);
  ReplaceFirstOccurring(label, kLength, {2, 1, 0}, system);
  return label;
}

long double UnitFactor(const QString& unitTemplate, int from, int to) {
  // Only English and SI values convert; generic labels carry no units.
  int sign = 0;
  if (from == kSI && to == kEnglish) sign = 1;
  if (from == kEnglish && to == kSI) sign = -1;
  if (sign == 0) return 1.0L;

  const qsizetype slash = unitTemplate.indexOf(QLatin1Char('/'));
  const QString numerator = slash < 0 ? unitTemplate : unitTemplate.left(slash);
  const QString denominator = slash < 0 ? QString() : unitTemplate.mid(slash + 1);
  const long double top = PartFactor(numerator);
  const long double bottom = PartFactor(denominator);
  return sign > 0 ? top / bottom : bottom / top;
}

}  // namespace terva::gui
