#include "gui/model/ProgramData.hpp"

#include <QHash>

#include <algorithm>

namespace terva::gui {

namespace {

// Base factors of the unit switch, SI -> English: feet per metre, pounds per
// kilonewton, slugs per megagram (the stored value, not the 68.5218 that the
// force and length factors would give).
constexpr long double kFeetPerMetre = 3.280839895L;
constexpr long double kPoundsPerKilonewton = 224.8089237L;
constexpr long double kSlugsPerMegagram = 68.364249L;

}  // namespace

const QString TProgramData::kNewFileName = QStringLiteral("NewData.tvd");
const QString TProgramData::kNewTitle = QStringLiteral("New Pile");

QString FoundationWord(TFoundationType type) {
  switch (type) {
    case TFoundationType::HalfSpace: return QStringLiteral("HALF-SPACE");
    case TFoundationType::Pile: return QStringLiteral("PILE");
    case TFoundationType::Stratum: return QStringLiteral("STRATUM");
    case TFoundationType::Multilayer: return QStringLiteral("MULTILAYER");
  }
  return QString();
}

std::optional<TFoundationType> FoundationTypeOf(const QString& word) {
  for (TFoundationType type : {TFoundationType::HalfSpace, TFoundationType::Pile, TFoundationType::Stratum,
                               TFoundationType::Multilayer})
    if (word == FoundationWord(type)) return type;
  return std::nullopt;
}

TProgramData::TProgramData() : FileName(kNewFileName), Title(kNewTitle) {}

void TProgramData::SetFoundation(TFoundationType type) {
  const QString word = FoundationWord(type);
  if (word.isEmpty()) return;
  Foundation = word;
  FoundationCode = type;
}

QString TProgramData::HarmonicLoadTemplate(int index, int quadratic) {
  const bool moment = index >= 3;
  if (quadratic == 1) return moment ? field_units::kMomentCoefficient : field_units::kForceCoefficient;
  return moment ? field_units::kMoment : field_units::kForce;
}

QString TProgramData::UnitTemplate(const QString& field) {
  static const QHash<QString, const char*> templates = {
      {"MassConstants", field_units::kMass},
      {"Xc", field_units::kLength},
      {"Yc", field_units::kLength},
      {"Zc", field_units::kLength},
      {"PileLength", field_units::kLength},
      {"PileUnitWeight", field_units::kUnitWeight},
      {"StaticLoad", field_units::kForce},
      {"BaseDepth", field_units::kLength},
      {"BedrockDepth", field_units::kLength},
      {"CgLocal", field_units::kLength},
      {"CbGlobal", field_units::kLength},
      {"CbLocal", field_units::kLength},
      {"FreqMax", field_units::kFrequency},
      {"FreqMin", field_units::kFrequency},
      {"FreqStep", field_units::kFrequency},
      {"BelowVs", field_units::kVelocity},
      {"BelowUnitWeight", field_units::kUnitWeight},
      {"Radius", field_units::kLength},
      {"Length", field_units::kLength},
      {"Width", field_units::kLength},
      {"Thickness", field_units::kLength},
      {"PileModulus", field_units::kModulus},
      {"RandomFreqMax", field_units::kFrequency},
      {"RandomFreqMin", field_units::kFrequency},
  };
  const auto found = templates.constFind(field);
  return found == templates.constEnd() ? QString() : QString::fromUtf8(found.value());
}

void TProgramData::ConvertUnits(int system) {
  system = std::clamp(system, 1, 2);
  if (system == Units) return;
  const bool toSI = system == 2;
  const long double L = toSI ? 1.0L / kFeetPerMetre : kFeetPerMetre;
  const long double F = toSI ? 1.0L / kPoundsPerKilonewton : kPoundsPerKilonewton;
  const long double M = toSI ? 1.0L / kSlugsPerMegagram : kSlugsPerMegagram;

  for (long double* value : {&Radius, &Length, &Width, &Xc, &Yc, &Zc, &BaseDepth, &BedrockDepth,
                             &PileLength, &BelowVs})
    *value *= L;
  for (auto* triple : {&CgLocal, &CbLocal, &CbGlobal})
    for (long double& value : *triple) value *= L;
  Gravity *= L;
  BelowUnitWeight *= F / (L * L * L);
  PileUnitWeight *= F / (L * L * L);
  PileModulus *= F / (L * L);
  StaticLoad *= F;
  MassConstants[0] *= M;
  for (size_t i = 1; i < MassConstants.size(); ++i) MassConstants[i] *= M * L * L;
  for (size_t i = 0; i < HarmonicLoads.size(); ++i) {
    const bool moment = i >= 3;
    if (Quadratic == 1)
      HarmonicLoads[i] *= moment ? M * L * L : M * L;
    else
      HarmonicLoads[i] *= moment ? F * L : F;
  }
  Units = system;
}

}  // namespace terva::gui
