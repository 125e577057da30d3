// The project file, described once for its reader and its writer: the
// keywords, the layout of the row lines of every table section, the table
// columns those lines carry, and the bounds and constants of the format.
//
// The file is the engine's keyword input followed by the program's trailer,
// with CR LF line ends and "." as the decimal separator. Sections in order
// (brackets: only for some foundations or options):
//
//   TITLE=<title>
//   [MATRIX]
//   GRAVITY=32.2 | GRAVITY=9.8                 English | SI
//   FOUNDATION=<word>
//   CIRCULAR=<radius> | RECTANGULAR=<length>,<width>
//   MASS, then the seven mass constants
//   pile:       LAYERS=<pile layers>, FIXED=|PINNED=<piles>, kPileCoordinates rows
//   multilayer: LAYER=<foundation layers>
//   CONSTANTS, then the foundation constants (see ProjectReader.cpp)
//   pile, multilayer: ELEMENT, kPileElements | kMultilayerElements rows
//   pile:       END-BEARING | FLOATING, [BATTERED, per pile "i XZ  "|"i YZ  "
//               and the angle], [INTERACTION]
//   SOIL, then per foundation: half-space [WEAK] CONSTANTS=<n> rows;
//               stratum CONSTANTS; pile WEAK, CONSTANTS, kPileSoil rows;
//               multilayer [WEAK] CONSTANTS=<n>, kAdjacentSoil and kSoilBelow rows
//   BELOW=<Vs gamma nu beta> | (stratum) the four values on a line
//   pile:       [SIDE-CAP] EMBEDDED <n> kSideCapSoil | kEmbeddedSoil rows
//   LOAD, HARMONIC | TRANSIENT | RANDOM, CONSTANTS, then the load data
//   RUN
//   trailer: mass component count, kMassComponent rows, the three
//            coordinate triples in the wide format
#pragma once

#include <QLatin1String>

namespace terva::gui::project_file {

// --- Keywords, as written (the reader compares trimmed lines) -------------
inline constexpr QLatin1String kTitle("TITLE=");
inline constexpr QLatin1String kMatrix("MATRIX");
inline constexpr QLatin1String kMass("MASS");
inline constexpr QLatin1String kGravity("GRAVITY=");
inline constexpr QLatin1String kFoundation("FOUNDATION=");
inline constexpr QLatin1String kCircular("CIRCULAR=");
inline constexpr QLatin1String kRectangular("RECTANGULAR=");
inline constexpr QLatin1String kPileLayers("LAYERS=");
inline constexpr QLatin1String kFixed("FIXED=");
inline constexpr QLatin1String kPinned("PINNED=");
inline constexpr QLatin1String kFoundationLayers("LAYER=");
inline constexpr QLatin1String kConstants("CONSTANTS");
inline constexpr QLatin1String kConstantsCount("CONSTANTS=");
inline constexpr QLatin1String kElement("ELEMENT");
inline constexpr QLatin1String kEndBearing("END-BEARING");
inline constexpr QLatin1String kFloating("FLOATING");
inline constexpr QLatin1String kBattered("BATTERED");
inline constexpr QLatin1String kPlaneXZ("XZ");
inline constexpr QLatin1String kPlaneYZ("YZ");
inline constexpr QLatin1String kInteraction("INTERACTION");
inline constexpr QLatin1String kSoil("SOIL");
inline constexpr QLatin1String kWeak("WEAK");
inline constexpr QLatin1String kBelow("BELOW=");
inline constexpr QLatin1String kSideCap("SIDE-CAP");
inline constexpr QLatin1String kEmbedded("EMBEDDED");
inline constexpr QLatin1String kLoad("LOAD");
inline constexpr QLatin1String kHarmonic("HARMONIC");
inline constexpr QLatin1String kTransient("TRANSIENT");
inline constexpr QLatin1String kRandom("RANDOM");
inline constexpr QLatin1String kQuadratic("QUADRATIC");
inline constexpr QLatin1String kNonQuadratic("NONQUADRATIC");
inline constexpr QLatin1String kRun("RUN");

// --- Row lines of the table sections --------------------------------------
// A row line: the 1-based row number (when numbered), then the values of
// `cells` real columns of the table from column 0. A weak-zone row ends with
// three values derived from its last three columns (Poisson's ratio,
// damping, weak-zone ratio): the Poisson's ratio again, twice the damping,
// and 1 when the ratio as written is at most `weakBelow` (the layer is
// weakened), else 0. The reader drops the three.
struct TRowLine {
  int cells = 0;
  bool weak = false;
  bool numbered = true;
  bool trailingBlank = false;  // each value followed by a blank
  long double weakBelow = 0.999999L;

  static constexpr int kDerivedValues = 3;
  // The column of the weak-zone ratio.
  constexpr int RatioColumn() const { return cells - 1; }
};

inline constexpr TRowLine kPileCoordinates{.cells = 2, .trailingBlank = true};  // X, Y
inline constexpr TRowLine kPileElements{.cells = 7};
inline constexpr TRowLine kMultilayerElements{.cells = 7};
inline constexpr TRowLine kHalfSpaceSoil{.cells = 5};                   // h, Vs, gamma, nu, beta
inline constexpr TRowLine kHalfSpaceWeakSoil{.cells = 6, .weak = true}; // h, Vs, gamma, nu, beta, ratio
inline constexpr TRowLine kPileSoil{.cells = 5, .weak = true};          // Vs, gamma, nu, beta, ratio
inline constexpr TRowLine kAdjacentSoil{.cells = 5, .weak = true, .weakBelow = 0.99999L};
inline constexpr TRowLine kSoilBelow{.cells = 6};
inline constexpr TRowLine kSideCapSoil{.cells = 6, .weak = true};
inline constexpr TRowLine kEmbeddedSoil{.cells = 5};
inline constexpr TRowLine kMassComponent{.cells = 7, .numbered = false, .trailingBlank = true};

// A soil row line without the weak-zone values: the soil of a project whose
// input gave no WEAK (an imported one) and whose table weakens no layer.
constexpr TRowLine WithoutWeakZone(TRowLine format) {
  format.cells -= 1;
  format.weak = false;
  return format;
}

// --- Columns the file gives a meaning of its own ---------------------------
inline constexpr int kLayerThicknessColumn = 0;  // soil layers, side soil; depth of a multilayer layer
inline constexpr int kSideSoilVelocityColumn = 1;
inline constexpr int kBatterAngleColumn = 2;     // pile coordinates
inline constexpr int kBatterPlaneColumn = 3;     // pile coordinates: 1 XZ, 2 YZ
inline constexpr int kLoadDirectionColumn = 0;   // transient loads, random spectra
inline constexpr int kLoadHistoryColumn = 1;     // the nested history or spectrum
inline constexpr int kHistoryValueColumn = 0;    // in the nested table
inline constexpr int kMassColumn = 0;            // mass components

// --- Bounds ------------------------------------------------------------------
// Counts a project file may carry: the writer refuses to write more, and the
// reader stops at a larger count instead of allocating it.
inline constexpr int kMaxFileRows = 10000;     // rows of a table of cells
inline constexpr int kMaxLoadRows = 1000;      // load histories or spectra
inline constexpr int kMaxPointCount = 100000;  // points of a load history or spectrum

// --- Constants -----------------------------------------------------------------
// The engine reads the first 80 characters of a line.
inline constexpr int kEngineLineWidth = 80;
// Titles keep at most this many characters.
inline constexpr int kTitleLength = 248;
// Harmonic frequencies are written in rad/s, converted with 6.28.
inline constexpr long double kHertzToRadians = 6.28L;
// The gravity written for each unit system; a gravity of at least
// kEnglishGravity read back means English units.
inline constexpr QLatin1String kGravityEnglish("32.2");
inline constexpr QLatin1String kGravitySI("9.8");
inline constexpr long double kEnglishGravity = 10.0L;

}  // namespace terva::gui::project_file
