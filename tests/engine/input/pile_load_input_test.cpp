// Pile-side foundation steps (layers, piles, elements, tip, battered piles,
// interaction) and the LOAD section with its spectra.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/problem_data.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

std::vector<std::string> Fatal(const std::string& message) { return {"", "", " " + message, " PROGRAM WILL NOT EXECUTE"}; }

const std::string kPileStart = "GRAVITY=32.2\nFOUNDATION=PILE\nCIRCULAR=1.0\nMASS=1,2,3,4,0,0,0\n";
const std::string kConstants = "CONSTANTS=0,0,1,40,150,1000,0.25,0.02,1,4E8\n";

std::string Piles(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += std::to_string(i) + "," + std::to_string(i) + ".0,-" + std::to_string(i) + ".5\n";
  return s;
}

// A pile group with n piles and one element layer, then what follows the elements.
std::string PileGroup(int piles, const std::string& tail) {
  return kPileStart + "LAYERS=1\nFIXED=" + std::to_string(piles) + "\n" + Piles(piles) + kConstants +
         "ELEMENT\n1,40,0.5,0.5,0.785,0.049,0.049,0.098\n" + tail;
}

TEST(PileInput, Capacities) {
  const std::string layers30 = kPileStart + "LAYERS=30\nSTOP\n";
  const EngineRun ok30 = RunEngine(layers30);
  EXPECT_TRUE(HasBlock(ok30.report, {"", "", " NUMBER OF LAYERS OR ELEMENTS -  30", " " + std::string(28, '*')}));
  const EngineRun bad31 = RunEngine(kPileStart + "LAYERS=31\nSTOP\n");
  EXPECT_TRUE(HasBlock(bad31.report, Fatal("ERROR - NUMBER OF LAYERS EXCEEDS 30")));
  EXPECT_EQ(bad31.code, 3);
  EXPECT_NE(bad31.problem->piles.LayerCountValue, 31.0f) << "a refused count is not stored";

  const EngineRun ok500 = RunEngine(PileGroup(500, "STOP\n"));
  EXPECT_EQ(ok500.code, 2) << ok500.report.substr(0, 3000);
  EXPECT_NE(ok500.report.find(" 500      500.000     *******"), std::string::npos);
  const EngineRun bad501 = RunEngine(kPileStart + "LAYERS=1\nFIXED=501\n" + Piles(501) + "STOP\n");
  EXPECT_TRUE(HasBlock(bad501.report, Fatal("ERROR - NUMBER OF PILES EXCEEDS 500")));
  EXPECT_EQ(bad501.code, 3);
}

TEST(PileInput, PileCountIsRoundedAndLocationsEchoed) {
  const EngineRun run = RunEngine(kPileStart + "LAYERS=1\nPINNED=2.5\n" + Piles(3) + "STOP\n");
  EXPECT_TRUE(HasBlock(run.report, {"", "", " PILES ARE PINNED AT BUTT", " " + std::string(24, '*'), "", "",
                                    " LOCATION OF PILES", " *****************", "", " PILE       X           Y",
                                    "  NO.     LOCATION    LOCATION", "               ft          ft",
                                    "   1        1.000      -1.500", "   2        2.000      -2.500",
                                    "   3        3.000      -3.500"}))
      << run.report;
  EXPECT_FLOAT_EQ(run.problem->piles.HeadFixity, 0.0f);
}

TEST(PileInput, CountsBelowOneReadNoRows) {
  const EngineRun run = RunEngine(kPileStart + "LAYERS=0.4\nFIXED=-3\n" + kConstants + "ELEMENT\nINTERACTION\nSTOP\n");
  EXPECT_EQ(run.code, 2) << run.report;
  EXPECT_TRUE(HasBlock(run.report, {" NUMBER OF LAYERS OR ELEMENTS -   0"}));
  EXPECT_TRUE(run.problem->status.InteractionOn);
  EXPECT_EQ(run.report.find("UNRECOGNIZED"), std::string::npos) << run.report;
}

TEST(PileInput, SectionErrors) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> block;
  };
  const std::string multi = "GRAVITY=32.2\nFOUNDATION=MULTILAYER\nCIRCULAR=1.0\nMASS=1,2,3,4,0,0,0\n";
  const Case cases[] = {
      {"parabolic_multilayer", multi + "PARABOLIC\nSTOP\n",
       Fatal("MULTILAYER FOUNDATION IS NOT ALLOWED A PARABOLIC SOIL MEDIA")},
      {"media", kPileStart + "STRATA=2\nSTOP\n", Fatal("INVALID KEYWORD - STRA FOR SOIL MEDIA TYPE")},
      {"layer_count", kPileStart + "LAYERS=N\nSTOP\n", Fatal("ERROR ENCOUNTERED WHILE READING NUMBER OF LAYERS")},
      {"head", kPileStart + "LAYERS=1\nHINGED=1\nSTOP\n",
       Fatal("INVALID KEYWORD - HING FOR FIXED OR PINNED INFORMATION")},
      {"pile_count", kPileStart + "LAYERS=1\nFIXED=N\nSTOP\n",
       Fatal("ERROR ENCOUNTERED WHILE READING NUMBER OF PILES")},
      {"pile_number", kPileStart + "LAYERS=1\nFIXED=1\nA\nSTOP\n", Fatal("ERROR ENCOUNTERED WHILE READING PILE NUMBER")},
      {"pile_x", kPileStart + "LAYERS=1\nFIXED=1\n1,X\nSTOP\n", Fatal("ERROR ENCOUNTERED WHILE READING PILE X-LOCATOR")},
      {"pile_y", kPileStart + "LAYERS=1\nFIXED=1\n1,0,Y\nSTOP\n",
       Fatal("ERROR ENCOUNTERED WHILE READING PILE Y-LOCATOR")},
      {"element_keyword", kPileStart + "LAYERS=1\nFIXED=1\n1,0,0\n" + kConstants + "SOIL\nSTOP\n",
       Fatal("INVALID KEYWORD - SOIL FOR ELEMENT INFORMATION")},
      {"element_data", kPileStart + "LAYERS=2\nFIXED=1\n1,0,0\n" + kConstants + "ELEMENT\n1,2,3,4,5,6,7,8\n2,2\nSTOP\n",
       Fatal("ERROR ENCOUNTERED WHILE READING ELEMENT DATA")},
  };
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(c.input);
    EXPECT_EQ(run.code, 3) << c.name;
    EXPECT_TRUE(HasBlock(run.report, c.block)) << c.name << "\n" << run.report;
  }
}

TEST(PileInput, ElementEcho) {
  const EngineRun layered = RunEngine(PileGroup(1, "STOP\n"));
  EXPECT_TRUE(HasBlock(layered.report,
                       {"", "", " ELEMENT", " *******", "",
                        " LAYER  LAYER   PILE    PILE     CROSS    MOMENT OF  MOMENT OF  TORSIONAL",
                        "  NO.   DEPTH  RADIUS  RADIUS  SECTIONAL   INERTIA    INERTIA   STIFFNESS",
                        "                 (X)     (Y)      AREA       '(X)      (Y)",
                        "           ft     ft      ft       ft**2      ft**4      ft**4      ft**4",
                        "   1   40.000  0.500   0.500   0.785E+00  0.490E-01  0.490E-01   0.98E-01"}))
      << layered.report;
  const EngineRun parabolic = RunEngine(kPileStart + "PARABOLIC\nFIXED=1\n1,0,0\n" + kConstants +
                                        "ELEMENT=0.5,0.6,0.785,0.049,0.05,0.098\nSTOP\n");
  EXPECT_TRUE(HasBlock(parabolic.report, {" ELEMENT", " *******", "", " RADIUS OF PILE (X)  ............     0.50000",
                                          " RADIUS OF PILE (Y)  ............     0.60000",
                                          " CROSS SECTIONAL AREA  ..........     0.78500",
                                          " MOMENT OF INERTIA (X)  .........     0.04900",
                                          " MOMENT OF INERTIA (Y)  .........     0.05000",
                                          " TORSIONAL STIFFNESS  ...........     0.09800"}))
      << parabolic.report;
}

TEST(PileInput, TipConditionBatteredAndInteraction) {
  const EngineRun run = RunEngine(
      PileGroup(2, "END-BEARING\nINTERACTION\nFLOATING\nBATTERED\n1,XZ,10\n2,YZ,0\nSTOP\n"));
  EXPECT_EQ(run.code, 2) << run.report;
  const ProblemData& p = *run.problem;
  EXPECT_TRUE(p.status.EndBearing) << "FLOATING after INTERACTION has no effect";
  EXPECT_TRUE(p.status.InteractionOn);
  EXPECT_TRUE(p.status.BatteredOn) << "with two piles an angle of zero is accepted";
  EXPECT_TRUE(HasBlock(run.report, {"", "", " PILE TIP CONDITION : END-BEARING", " " + std::string(32, '*')}));
  EXPECT_TRUE(HasBlock(run.report, {"", "", " BATTERED PILES", " **************", "",
                                    " PILE NO.  1 BATTERED IN XZ PLANE",
                                    " ANGLE BETWEEN PILE AND VERTICAL =   10.00 deg.",
                                    " PILE NO.  2 BATTERED IN YZ PLANE",
                                    " ANGLE BETWEEN PILE AND VERTICAL =    0.00 deg."}))
      << run.report;
  const std::array<Real, 9> xz = {10, 90, 100, 90, 0, 90, 80, 90, 10};
  const std::array<Real, 9> yz = {0, 90, 90, 90, 0, 90, 90, 90, 0};
  EXPECT_EQ(p.piles.BatterDirectionAngles(1), xz);
  EXPECT_EQ(p.piles.BatterDirectionAngles(2), yz);
  EXPECT_EQ(p.piles.BatterPlane(2), "YZ");
}

TEST(PileInput, BatteredOptionSwitchedOff) {
  const EngineRun single = RunEngine(PileGroup(1, "BATTERED\n1,XZ,0\nSTOP\n"));
  EXPECT_TRUE(HasBlock(single.report, {"", "", " ANGLE BETWEEN PILE AND VERTICAL IS ZERO, THEREFORE THE PILE IS NOT BATTERED.",
                                       " BATTERED OPTION WILL BE IGNORED."}))
      << single.report;
  EXPECT_FALSE(single.problem->status.BatteredOn);
  EXPECT_EQ(single.code, 2) << "not a fatal error";

  const EngineRun plane = RunEngine(PileGroup(2, "BATTERED\n1,XZ,5\n2,XY,5\nSTOP\n"));
  EXPECT_TRUE(HasBlock(plane.report, {"", "", " UNRECOGNIZED PLANEXY  FOR BATTERED PILES",
                                      " BATTERED OPTION WILL BE IGNORED."}))
      << plane.report;
  EXPECT_FALSE(plane.problem->status.BatteredOn);
  EXPECT_EQ(plane.code, 2);
}

const std::string kHalfSpace =
    "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\n"
    "SOIL\nCONSTANTS\n0\nBELOW=500,110,0.3,0.05\n";

const std::vector<std::string> kLoadError = {"", "", " ERROR ENCOUNTERED IN LOAD DESCRIPTION",
                                             "         - WILL CONTINUE TO PROCESS DATA",
                                             "      - CANNOT EXECUTE THIS PROBLEM SET"};

TEST(LoadInput, SectionErrors) {
  struct Case {
    const char* name;
    std::string load;
    std::vector<std::string> block;
  };
  const Case cases[] = {
      {"type", "LOAD=IMPACT\n", Fatal("INVALID OR UNRECOGNIZED KEYWORD - IMPA FOR LOAD TYPE")},
      {"constants", "LOAD=HARMONIC\nQUADRATIC\n", Fatal("'CONSTANT' KEYWORD MISSING FOR LOAD DESCRIPTION")},
      {"harmonic_number", "LOAD=HARMONIC\nCONSTANTS=QUADRATIC,1,2,W\n", kLoadError},
      {"transient_code",
       "LOAD=TRANSIENT\nCONSTANTS\n4,0.01,1\n7,1,2,3,4\n",
       {"", " ERROR - LOAD TYPE INDICATOR (   7 ) CANNOT BE ", "         LESS THAN 1 OR EXCEED A VALUE OF 6", "", "",
        " ERROR ENCOUNTERED IN LOAD DESCRIPTION"}},
      {"random_location",
       "LOAD=RANDOM\nCONSTANTS\n100,10,3,10,1\n3,0,1,2,3\n",
       {"", " ERROR - LOCATION OF SPECTRA (   0 ) CANNOT BE ", "         LESS THAN 1 OR EXCEED A VALUE OF 6", "", "",
        " ERROR ENCOUNTERED IN LOAD DESCRIPTION"}},
      {"transient_capacity", "LOAD=TRANSIENT\nCONSTANTS\n1019,0.01,0\n",
       {"", "", " ERROR - NUMBER OF POINTS EXCEEDS 1018", "", "", " ERROR ENCOUNTERED IN LOAD DESCRIPTION"}},
      {"random_capacity", "LOAD=RANDOM\nCONSTANTS\n100,10,1025,10,0\n",
       {"", "", " ERROR - NUMBER OF POINTS EXCEEDS 1024", "", "", " ERROR ENCOUNTERED IN LOAD DESCRIPTION"}},
  };
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(kHalfSpace + c.load + "RUN\n");
    EXPECT_EQ(run.code, 3) << c.name;
    EXPECT_TRUE(HasBlock(run.report, c.block)) << c.name << "\n" << run.report;
  }
}

TEST(LoadInput, HarmonicEchoAndKind) {
  const EngineRun run =
      RunEngine(kHalfSpace + "LOAD=HARMONIC\nCONSTANTS\nQUADRATIC\n62.8,6.28,3.14\n0.1,0.2,0.3,1,2,3\nRUN\n");
  EXPECT_EQ(run.code, 0);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " HARMONIC LOAD, QUADRATIC", " " + std::string(24, '*'), "",
                                    " MAXIMUM FREQUENCY .............. 0.100E+02 Hz",
                                    " MINIMUM FREQUENCY .............. 0.100E+01 Hz",
                                    " STEP FREQUENCY ................. 0.500E+00 Hz",
                                    " FORCE COEFF. IN X-DIRECTION  ... 0.100E+00 slug-ft",
                                    " FORCE COEFF. IN Y-DIRECTION  ... 0.200E+00 slug-ft",
                                    " FORCE COEFF. IN Z-DIRECTION  ... 0.300E+00 slug-ft",
                                    " MOMENT COEFF. ABOUT X-AXIS  .... 0.100E+01 slug-ft**2",
                                    " MOMENT COEFF. ABOUT Y-AXIS  .... 0.200E+01 slug-ft**2",
                                    " MOMENT COEFF. ABOUT Z-AXIS  .... 0.300E+01 slug-ft**2"}))
      << run.report;
  EXPECT_FLOAT_EQ(run.problem->load.FreqMax, 62.8f) << "kept in rad/s";

  // a number directly after CONSTANTS is taken as the kind: consumed and reported
  const EngineRun number = RunEngine(kHalfSpace + "LOAD=HARMONIC\nCONSTANTS\n5\n100,10,10\n0,0,1,0,0,0\nRUN\n");
  EXPECT_TRUE(HasBlock(number.report, {"", "", " UNRECOGNIZED KEYWORD - 5.  "}));
  EXPECT_EQ(number.problem->status.HarmonicKind, kNonQuadratic);
  EXPECT_FLOAT_EQ(number.problem->load.FreqMax, 100.0f);
  EXPECT_EQ(number.code, 0);
}

TEST(LoadInput, TransientHistoriesBecomeSpectra) {
  const int n = 8;
  std::string sine, constant;
  for (int j = 0; j < n; ++j) {
    sine += std::to_string(std::sin(2.0 * M_PI * j / n)) + "\n";
    constant += "2.0\n";
  }
  const EngineRun run = RunEngine(kHalfSpace + "LOAD=TRANSIENT\nCONSTANTS\n8,0.01,3\n1\n" + constant + "3\n" + constant +
                                  "3\n" + sine + "RUN\n");
  ASSERT_EQ(run.code, 0) << run.report;
  const LoadDescription& l = run.problem->load;
  // a constant history has only the zero-frequency term
  EXPECT_NEAR(l.TransientSpectrum(1)(1).real(), 2.0f, 1e-6);
  EXPECT_NEAR(std::abs(l.TransientSpectrum(2)(1)), 0.0f, 1e-6);
  // the second history of code 3 replaces the first; its spectrum is the normalised forward transform
  EXPECT_NEAR(std::abs(l.TransientSpectrum(1)(3)), 0.0f, 1e-6);
  EXPECT_NEAR(l.TransientSpectrum(2)(3).real(), 0.0f, 1e-5);
  EXPECT_NEAR(l.TransientSpectrum(2)(3).imag(), -0.5f, 1e-5);
  EXPECT_NEAR(l.TransientSpectrum(8)(3).imag(), 0.5f, 1e-5);
  EXPECT_NEAR(std::abs(l.TransientSpectrum(4)(2)), 0.0f, 1e-7) << "no load on Y";
  EXPECT_FLOAT_EQ(l.TransientPointsValue, 8.0f);
  EXPECT_EQ(l.TransientHalfPlusTwo, 6);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " TRANSIENT LOAD", " **************", "",
                                    " NUMBER OF POINTS  ..............     8",
                                    " TIME INTERVAL BETWEEN POINTS  ..  0.010",
                                    " NUMBER OF LOADS  ...............  3", "",
                                    " LOAD TYPE CODE - 1 (FORCE IN X-DIRECTION)", "", " LOAD AMPLITUDES lb ", "",
                                    "    2.000E+00"}))
      << run.report;
}

TEST(LoadInput, TransientPointCapacity) {
  std::string values;
  for (int j = 0; j < 1018; ++j) values += "1.0\n";
  const EngineRun run = RunEngine(kHalfSpace + "NOECHO\nLOAD=TRANSIENT\nCONSTANTS\n1018,0.01,1\n3\n" + values + "RUN\n");
  EXPECT_EQ(run.code, 0) << run.report.substr(0, 2000);
  EXPECT_NEAR(run.problem->load.TransientSpectrum(1)(3).real(), 1.0f, 1e-5);
}

TEST(LoadInput, RandomSpectralMatrix) {
  const EngineRun run = RunEngine(kHalfSpace +
                                  "LOAD=RANDOM\nCONSTANTS\n100,10,3,10,4\n"
                                  "1,5,1,2,3\n5,1,7,8,9\n2,4,0.5,0.5,0.5\n3,3,4,5,6\nRUN\n");
  ASSERT_EQ(run.code, 0) << run.report;
  const LoadDescription& l = run.problem->load;
  EXPECT_FLOAT_EQ(l.FreqStep, 45.0f);
  // both (1,5) and (5,1) given: the one with the larger first index holds for both
  EXPECT_FLOAT_EQ(l.Spectral(2, 1, 5).real(), 8.0f);
  EXPECT_FLOAT_EQ(l.Spectral(2, 5, 1).real(), 8.0f);
  // given only with the smaller first index: not lost
  EXPECT_FLOAT_EQ(l.Spectral(3, 4, 2).real(), 0.5f);
  EXPECT_FLOAT_EQ(l.Spectral(3, 2, 4).real(), 0.5f);
  EXPECT_FLOAT_EQ(l.Spectral(1, 3, 3).real(), 4.0f);
  EXPECT_FLOAT_EQ(l.Spectral(1, 6, 6).real(), 0.0f);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " RANDOM LOAD", " ***********", "",
                                    " MAXIMUM FREQUENCY (Hz)  ........ 15.924",
                                    " MINIMUM FREQUENCY (Hz) .........  1.592",
                                    " NUMBER OF POINTS  ..............   3",
                                    " NUMBER OF SPECTRA  .............   4", "",
                                    " LOCATION OF SPECTRA  -    1    5", "", " LOAD AMPLITUDES lb ", "",
                                    "   0.100E+01", "   0.200E+01", "   0.300E+01"}))
      << run.report;

  const EngineRun one = RunEngine(kHalfSpace + "LOAD=RANDOM\nCONSTANTS\n100,10,1,10,1\n3,3,4\nRUN\n");
  EXPECT_FLOAT_EQ(one.problem->load.FreqStep, 90.0f) << "one point: the step is the whole range";
  // but the spectral moments need three points at least
  EXPECT_TRUE(HasBlock(one.report, {"", "", " ERROR - A RANDOM LOAD NEEDS AT LEAST 3 FREQUENCY POINTS", "", "",
                                    " ERROR ENCOUNTERED IN LOAD DESCRIPTION"}))
      << one.report;
  EXPECT_EQ(one.code, 3);
}

}  // namespace
}  // namespace terva::test
