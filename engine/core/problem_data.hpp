// The engine's one problem record.
//
// Everything the input text describes lives in one process-wide ProblemData,
// held by the entry point, filled by the section readers and read by the
// analysis, each of which takes it by argument. At the start of each
// call only RunControl and ProblemStatus are reset; value fields keep what an
// earlier call in the same process stored until the input sets them again.
// Arrays are fixed in size; readers check every count against these capacities
// before they store a row.
#pragma once

#include <array>
#include <string>

#include "engine/core/scalar.hpp"

namespace terva {

inline constexpr int kMaxPiles = 500;           // piles in a group
inline constexpr int kMaxLayers = 30;           // layers, pile elements, side layers
inline constexpr int kMaxFrequencies = 1024;    // frequency points (random spectra)
inline constexpr int kMaxTransientPoints = 1018;  // time points of a transient load
inline constexpr int kDof = 6;                  // UOX UOY UOZ EPOX EPOY EPOZ
inline constexpr int kTitleLength = 80;

// Codes of ProblemStatus, as the engine numbers them. The engine's foundation
// and load codes are its own: the desktop program numbers its foundations
// differently.
enum class EngineFoundation : Int { None = 0, Pile = 1, HalfSpace = 2, Stratum = 3, Multilayer = 4 };
enum class EngineLoad : Int { None = 0, Transient = 1, Random = 2, Harmonic = 3 };
enum ShapeCode : Int { kShapeNone = 0, kCircular = 1, kRectangular = 2 };
enum MediaCode : Int { kLayered = 1, kParabolic = 2 };
enum HarmonicCode : Int { kNonQuadratic = 1, kQuadratic = 2 };

// 1-based fixed-size row storage: rows(k) for k = 1..N, as the formulas count.
template <typename T, int N>
struct Rows {
  std::array<T, N> v{};
  T& operator()(int k) { return v[static_cast<size_t>(k - 1)]; }
  const T& operator()(int k) const { return v[static_cast<size_t>(k - 1)]; }
  static constexpr int size() { return N; }
};

struct RunControl {
  bool EchoInput = true;
  bool WidePrintout = false;
  bool PrintConstants = false;
  bool DimensionlessResponse = false;
  bool InputErrorIndicator = false;
  bool StopIndicator = false;
  std::string Title;  // always kTitleLength characters
};

struct ProblemStatus {
  EngineFoundation FoundationType = EngineFoundation::None;
  EngineLoad LoadType = EngineLoad::None;
  Int FootingShape = kShapeNone;
  Int GravitySet = 0;
  Int SoilMedia = kLayered;
  Int HarmonicKind = kNonQuadratic;
  bool WeakZoneOn = false;
  bool InteractionOn = false;
  bool BatteredOn = false;
  bool EmbeddedOn = false;
  bool SideCapOn = false;
  bool EndBearing = false;
};

// Fixed-width unit texts, blank-padded to their field widths.
struct UnitLabels {
  std::string length = std::string(2, ' ');
  std::string moment = std::string(5, ' ');
  std::string force = std::string(3, ' ');
  std::string modulus = std::string(3, ' ');
  std::string unitWeight = std::string(8, ' ');
  std::string acceleration = std::string(7, ' ');
  std::string area = std::string(5, ' ');
  std::string velocity = std::string(4, ' ');
  std::string secondMoment = std::string(5, ' ');
  std::string mass = std::string(4, ' ');
  std::string massMoment = std::string(10, ' ');
  std::string transStiffness = std::string(5, ' ');
  std::string rotStiffness = std::string(9, ' ');
  std::string transDamping = std::string(9, ' ');
  std::string rotDamping = std::string(12, ' ');
  std::string crossStiffness = std::string(6, ' ');
  std::string crossDamping = std::string(10, ' ');
  std::string massLength = std::string(7, ' ');

  static UnitLabels English();
  static UnitLabels SI();
};

struct FootingGeometry {
  Real FootingDim1 = 0, FootingDim2 = 0;
  Real NominalRadius = 0;
  Rows<Real, 4> EquivalentRadius;  // translation, rocking (first), rocking (second), torsion
  Rows<Real, 5> StratumRadius;     // translation twice, rocking, rocking, torsion
};

struct MassConstants {
  Real FootingMass = 0;
  Real MassMomentX = 0, MassMomentY = 0, MassMomentZ = 0;
  Real ProductXY = 0, ProductXZ = 0, ProductYZ = 0;
};

struct FoundationConstants {
  Real CentreOfGravityX = 0, CentreOfGravityY = 0, CentreOfGravityHeight = 0;
  Real EmbedmentDepth = 0, StratumDepth = 0;
  Real EmbedmentRatio = 0, EmbedmentDepthRatio = 0, RadiusDepthRatio = 0;
  Real PileLength = 0, PileUnitWeight = 0, StaticLoad = 0, PilePoissonRatio = 0, PileDamping = 0,
       RigidityCoefficient = 0, YoungsModulus = 0;
};

struct PileGroup {
  bool PileHeadFixed = true;
  Real HeadFixity = 1;
  Real PileCountValue = 0;
  Rows<Real, kMaxPiles> PileNumber, PileX, PileY;
  Real LayerCountValue = 0;
  Real AdjacentLayerCountValue = 0;  // multilayer: layers of foundation material beside the footing
  Rows<std::string, kMaxPiles> BatterPlane;
  Rows<Real, kMaxPiles> BatterAngle;
  Rows<std::array<Real, 9>, kMaxPiles> BatterDirectionAngles;  // x'X x'Y x'Z y'X y'Y y'Z z'X z'Y z'Z
};

struct PileSections {
  Rows<Real, kMaxLayers> LayerThickness, PileRadiusX, PileRadiusY, PileArea, PileInertiaX, PileInertiaY,
      PileTorsion;
};

struct SoilProfile {
  Rows<Real, kMaxLayers> ShearWaveVelocity, SoilUnitWeight, SoilPoissonRatio, SoilDamping, ShearModulusRatio,
      DampingRatio;
};

struct WeakZone {
  Rows<Real, kMaxLayers> WeakShearRatio, WeakPoissonRatio, WeakDamping, WeakThicknessRatio;
};

struct BaseSoil {
  Real BaseShearWaveVelocity = 0, BaseUnitWeight = 0, BasePoissonRatio = 0, BaseDamping = 0;
  Real StratumShearWaveVelocity = 0, StratumUnitWeight = 0, StratumPoissonRatio = 0, StratumDamping = 0;
};

struct SideLayers {
  Int SideLayerCount = 0;
  Rows<Real, kMaxLayers> SideLayerDepth;  // half-space table: depth; EMBEDDED table: thickness
  Rows<Real, kMaxLayers> SideShearWaveVelocity, SideUnitWeight, SidePoissonRatio, SideDamping;
  Rows<Real, kMaxLayers> CapShearRatio, CapPoissonRatio, CapDamping, CapThicknessRatio;
  Real& SideThickness(int k) { return SideLayerDepth(k); }
  const Real& SideThickness(int k) const { return SideLayerDepth(k); }
};

struct LoadDescription {
  Real FreqMax = 0, FreqMin = 0, FreqStep = 0;
  Rows<Real, kDof> LoadAmplitude;
  Int PointCount = 0;
  Real TimeStep = 0;
  Int LoadCount = 0;
  Rows<Int, kDof> LoadActs;  // 1 where a history acts on the degree of freedom (its load code)
  // Transient load spectra F(k, d), k = 1..PointCount, written as the histories are read.
  Rows<Rows<Complex, kDof>, kMaxTransientPoints> TransientSpectrum;
  Real TransientPointsValue = 0;  // N as a real, kept for the transient response
  Int TransientHalfPlusTwo = 0;   // N/2 + 2
  Real RandomDuration = 0;
  Int SpectrumCount = 0;
  // Random load spectral matrix S_p(i, j), p = 1..PointCount; symmetric.
  Rows<std::array<Complex, kDof * kDof>, kMaxFrequencies> SpectralMatrix;
  Complex& Spectral(int p, int i, int j) { return SpectralMatrix(p)[static_cast<size_t>((j - 1) * kDof + (i - 1))]; }
  Complex Spectral(int p, int i, int j) const {
    return SpectralMatrix(p)[static_cast<size_t>((j - 1) * kDof + (i - 1))];
  }
};

struct ProblemData {
  RunControl run;
  ProblemStatus status;
  Real Gravity = 0;
  Int UnitSystem = 0;  // 1 English, 2 SI, 0 not chosen yet
  UnitLabels labels;
  FootingGeometry geometry;
  MassConstants mass;
  FoundationConstants constants;
  PileGroup piles;
  PileSections sections;
  SoilProfile soil;
  WeakZone weak;
  BaseSoil base;
  SideLayers side;
  LoadDescription load;

  // The reset at the start of every call: RunControl defaults, ProblemStatus codes and flags.
  void ResetRunState();
};

// The identification line standing as the title when the input has none.
const std::string& DefaultTitle();

// Counts given as reals: rounded to the nearest integer, halves away from zero,
// clamped so that absurd values stay representable (callers check capacities).
Int RoundCount(Real value);
// Rows to read or use for a count held as a real: rounded, never below 0 nor beyond the array.
Int RowsOf(Real countValue, int capacity);

// Equivalent radii of a rectangular footing a by b (full side lengths):
// translation, first rocking, second rocking, torsion.
std::array<Real, 4> RectangularEquivalentRadii(Real a, Real b);

// The 30-layer parabolic profile generated for a pile of the given length.
void GenerateParabolicProfile(ProblemData& p, Real tipVelocity, Real unitWeight, Real poisson, Real damping);

}  // namespace terva
