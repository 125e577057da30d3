// The project in memory: every scalar input of a project, its option flags,
// its file name and title. The row-oriented input lives in the project tables
// (ProjectTables.hpp), which outlive a change of project.
//
// Reals are extended precision, as the tables' cells are. Values are kept in
// the project's unit system (Units); the unit templates below say how each
// value is labelled and converted.
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace terva::gui {

// The program's foundation types (the engine numbers its own differently).
// The word and the type of a project are always set together.
enum class TFoundationType : int { HalfSpace = 1, Pile = 2, Stratum = 3, Multilayer = 4 };
// The program's load types.
enum class TLoadType : int { Harmonic = 1, Transient = 2, Random = 3 };

// The word of a foundation type ("HALF-SPACE", "PILE", "STRATUM",
// "MULTILAYER"); empty for a value outside the enumeration.
QString FoundationWord(TFoundationType type);
// The type of a foundation word (exact comparison); none for any other word.
std::optional<TFoundationType> FoundationTypeOf(const QString& word);

// Unit templates of the project values (see units.hpp).
namespace field_units {
inline constexpr char kMass[] = "F6";             // total mass
inline constexpr char kMassInertia[] = "F6-L2^2"; // mass moments and products of inertia
inline constexpr char kLength[] = "L2";           // coordinates, dimensions, depths, lengths
inline constexpr char kUnitWeight[] = "F/L2^3";
inline constexpr char kForce[] = "F";
inline constexpr char kMoment[] = "F-L2";
inline constexpr char kForceCoefficient[] = "F6-L2";    // quadratic harmonic force
inline constexpr char kMomentCoefficient[] = "F6-L2^2"; // quadratic harmonic moment
inline constexpr char kFrequency[] = "Hz";
inline constexpr char kVelocity[] = "L2/sec";
inline constexpr char kModulus[] = "F/L2\u00b2";
}  // namespace field_units

class TProgramData {
 public:
  static const QString kNewFileName;  // "NewData.tvd": the name of an unnamed project
  static const QString kNewTitle;     // "New Pile"

  TProgramData();

  int Units = 2;  // 1 English (lbs, slug, ft), 2 SI (kN, Mg, m)
  // The gravity the project file gives when it is not the unit system's own
  // (32.2 ft/s², 9.8 m/s²), as an imported engine input may; 0: the unit
  // system's own.
  long double Gravity = 0.0L;
  QString FileName;
  QString GeometryFileName;
  QString Foundation = QStringLiteral("HALF-SPACE");
  QString LoadLine;
  TFoundationType FoundationCode = TFoundationType::HalfSpace;
  QString Title;
  int MassCount = 0;
  // Total mass, mass moments of inertia about X, Y, Z, products XY, XZ, YZ.
  std::array<long double, 7> MassConstants{};
  long double Xc = 0.0L, Yc = 0.0L, Zc = 0.0L;
  long double PileLength = 0.0L;
  long double PileUnitWeight = 0.0L;
  long double StaticLoad = 0.0L;
  long double PilePoisson = 0.0L;
  long double PileDamping = 0.0L;
  long double ShearCoefficient = 0.0L;
  long double BaseDepth = 0.0L;
  long double BedrockDepth = 0.0L;
  std::array<long double, 3> CgLocal{};
  std::array<long double, 3> CbGlobal{};
  std::array<long double, 3> CbLocal{};
  long double FreqMax = 0.0L, FreqMin = 0.0L, FreqStep = 0.0L;
  // Forces in X, Y, Z and moments about X, Y, Z (coefficients when quadratic).
  std::array<long double, 6> HarmonicLoads{};
  long double BelowVs = 0.0L;
  long double BelowUnitWeight = 0.0L;
  long double BelowDamping = 0.0L;
  long double BelowPoisson = 0.0L;
  int PileHeadFixed = 1;
  int Circular = 0;
  int EndBearing = 0;
  QString PileHeadText, PileTipText, InteractionText;
  long double Radius = 0.0L;
  long double Length = 0.0L;
  long double Width = 0.0L;
  long double Thickness = 0.0L;
  long double PileModulus = 0.0L;
  int Matrix = 1;
  TLoadType LoadType = TLoadType::Harmonic;
  int Interaction = 1;
  long double TimeStep = 0.0L;
  long double RandomFreqMax = 0.0L, RandomFreqMin = 0.0L;
  long double ObservationPeriod = 0.0L;
  int PointCount = 0;
  int LoadCount = 0;
  int Quadratic = 0;
  bool Battered = false;
  bool SideCap = false;
  bool Weak = true;

  // Every value equal, file names included.
  bool operator==(const TProgramData& other) const = default;

  // Unnamed while FileName is "NewData.tvd" (exact comparison).
  bool IsUnnamed() const { return FileName == kNewFileName; }
  // Sets the foundation word and type together.
  void SetFoundation(TFoundationType type);

  // The unit template of HarmonicLoads[index] (0..5) for the quadratic flag.
  static QString HarmonicLoadTemplate(int index, int quadratic);
  // The unit template of a field by its name ("BelowVs", "MassConstants",
  // ...); empty for dimensionless and non-numeric fields. MassConstants
  // gives the template of its first value (the mass); the inertia values
  // use field_units::kMassInertia.
  static QString UnitTemplate(const QString& field);

  // Converts the scalar values to unit system `system` (clamped into 1..2);
  // nothing when it is the current one. Only Units and the values listed
  // with the switch change; the tables are converted by SetUnitSystem
  // (ProjectTables.hpp).
  void ConvertUnits(int system);
};

}  // namespace terva::gui
