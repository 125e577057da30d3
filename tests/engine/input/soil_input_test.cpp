// The SOIL section for every foundation type: layouts, weakened zones, side
// layers, the generated parabolic profile, messages and echo tables.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/problem_data.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

const std::string kPileHead =
    "GRAVITY=32.2\nFOUNDATION=PILE\nCIRCULAR=1.0\nMASS=1,2,3,4,0,0,0\nLAYERS=2\nFIXED=1\n1,0,0\n"
    "CONSTANTS=0,0,1,40,150,1000,0.25,0.02,1,4E8\nELEMENT\n"
    "1,20,0.5,0.5,0.785,0.049,0.049,0.098\n2,20,0.5,0.5,0.785,0.049,0.049,0.098\n";
const std::string kParabolicHead =
    "GRAVITY=32.2\nFOUNDATION=PILE\nCIRCULAR=1.0\nMASS=1,2,3,4,0,0,0\nPARABOLIC\nPINNED=1\n1,0,0\n"
    "CONSTANTS=0,0,1,40,150,1000,0.25,0.02,1,4E8\nELEMENT=0.5,0.6,0.785,0.049,0.05,0.098\n";
const std::string kHarmonic = "LOAD=HARMONIC\nCONSTANTS\nNONQUADRATIC\n100,10,10\n0,0,1,0,0,0\n";

std::vector<std::string> Fatal(const std::string& message) { return {"", "", " " + message, " PROGRAM WILL NOT EXECUTE"}; }

TEST(SoilInput, SoilBeforeFoundation) {
  const EngineRun run = RunEngine("GRAVITY=32.2\nSOIL\nCONSTANTS\nBELOW=1,2,0.3,0.05\nSTOP\n");
  EXPECT_TRUE(HasBlock(run.report, {"", "", " THE FOUNDATION TYPE HAS NOT BEEN ESTABLISHED",
                                    "    THE PROGRAM SHOULD NEVER ENCOUNTER THIS ERROR (SOLCST)"}))
      << run.report;
  EXPECT_NE(run.report.find(" SOIL BELOW PILE"), std::string::npos) << "BELOW is still expected and read";
  EXPECT_EQ(run.code, 3);
}

TEST(SoilInput, SectionMessages) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> block;
  };
  const std::string stratum =
      "GRAVITY=32.2\nFOUNDATION=STRATUM\nCIRCULAR=2\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1,1,10\n";
  const Case cases[] = {
      {"weak_for_stratum", stratum + "SOIL\nWEAK\nCONSTANTS=1,2,0.3,0.05\nSTOP\n",
       Fatal("WEAK IS AN IMPROPER KEYWORD FOR THIS FOUNDATION TYPE")},
      {"no_constants", kPileHead + "SOIL\nBELOW\nSTOP\n",
       Fatal("WEAK OR CONSTANT SUBKEYWORDS ARE EXPECTED TO FOLLOW SOIL KEYWORD")},
      {"no_below", kPileHead + "SOIL\nCONSTANTS\n1,100,110,0.3,0.05\n2,100,110,0.3,0.05\nLOAD\nSTOP\n",
       Fatal("BELOW SUBKEYWORD IS EXPECTED TO FOLLOW SOIL CONSTANT DATA")},
      {"bad_soil_number", kPileHead + "SOIL\nCONSTANTS\n1,100,110,0.3,X\n",
       Fatal("ERROR ENCOUNTERED WHILE READING SOIL CONSTANTS")},
      {"bad_base_soil", kPileHead + "SOIL\nCONSTANTS\n1,100,110,0.3,0.05\n2,100,110,0.3,0.05\nBELOW=1,2,Z\nSTOP\n",
       {"", " *** BAD DATA IN SOIL DESCRIPTION BELOW PILE ***", "      - WILL CONTINUE TO PROCESS DATA",
        "      - CANNOT EXECUTE THIS PROBLEM SET"}},
      {"too_many_side_layers",
       "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=2\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\nSOIL\nCONSTANTS=31\n",
       Fatal("ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30")},
  };
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(c.input);
    EXPECT_EQ(run.code, 3) << c.name;
    EXPECT_TRUE(HasBlock(run.report, c.block)) << c.name << "\n" << run.report;
  }
  // WEAK for a stratum reads nothing more of the section: CONSTANTS falls to the keyword loop
  const EngineRun weak = RunEngine(stratum + "SOIL\nWEAK\nCONSTANTS=1,2,0.3,0.05\nSTOP\n");
  EXPECT_TRUE(HasBlock(weak.report, {"", "", " CONS SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"}));
}

TEST(SoilInput, LayeredPileSoilWithWeakZone) {
  const EngineRun run = RunEngine(kPileHead + "SOIL\nWEAK\nCONSTANTS\n1,100,110,0.3,0.05,1.0,0.4,0.1,0.5\n"
                                              "2,200,120,0.35,0.04,0.5,0.45,0.08,0.25\nBELOW=300,125,0.3,0.05\n" +
                                  kHarmonic + "STOP\n");
  EXPECT_EQ(run.code, 2) << run.report;
  const WeakZone& w = run.problem->weak;  // as read: the analysis later turns the ratio into a length
  EXPECT_FLOAT_EQ(w.WeakThicknessRatio(1), 0.0f) << "no thickness where the zone is not weaker";
  EXPECT_FLOAT_EQ(w.WeakThicknessRatio(2), 0.25f);
  EXPECT_FLOAT_EQ(w.WeakPoissonRatio(2), 0.45f);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " SOIL CONSTANTS", " **************", "",
                                    " LAYER  SHEAR WAVE    UNIT   POISSONS  MATERIAL",
                                    "  NO.    VELOCITY    WEIGHT    RATIO    DAMPING",
                                    "            ft/s      lb/ft**3",
                                    "   1      100.000     110.000   0.300     0.050",
                                    "   2      200.000     120.000   0.350     0.040", "", "",
                                    " NONLINEARITY OF SOIL (WEAKENED ZONE)", " " + std::string(36, '*'), "",
                                    " LAYER  SHEAR MODULUS", "  NO.   RATIO", "", "   1       1.000",
                                    "   2       0.500"}))
      << run.report;
  EXPECT_TRUE(HasBlock(run.report, {"", "", " SOIL BELOW PILE", " ***************", "",
                                    " SHEAR WAVE    UNIT    POISSON'S   MATERIAL",
                                    "  VELOCITY    WEIGHT     RATIO     DAMPING", "     ft/s      lb/ft**3",
                                    "  0.30E+03    125.0000   0.300     0.050"}))
      << run.report;
}

TEST(SoilInput, WithoutWeakTheZoneTakesTheLayerValues) {
  const EngineRun read =
      RunEngine(kPileHead + "SOIL\nCONSTANTS\n1,100,110,0.3,0.05\n2,200,120,0.35,0.04\nBELOW=300,125,0.3,0.05\nSTOP\n");
  const ProblemData& p = *read.problem;
  EXPECT_FLOAT_EQ(p.weak.WeakShearRatio(2), 1.0f);
  EXPECT_FLOAT_EQ(p.weak.WeakPoissonRatio(2), 0.35f);
  EXPECT_FLOAT_EQ(p.weak.WeakDamping(2), 0.04f);
  EXPECT_FLOAT_EQ(p.weak.WeakThicknessRatio(2), 0.0f);
}

TEST(SoilInput, ParabolicProfile) {
  const EngineRun run = RunEngine(kParabolicHead + "SOIL\nWEAK\nCONSTANTS=800,120,0.4,0.05\n0.5,0.45,0.1,0.3\n"
                                                   "BELOW=900,125,0.35,0.05\nSTOP\n");
  const ProblemData& p = *run.problem;
  EXPECT_FLOAT_EQ(p.piles.LayerCountValue, 30.0f);
  Real total = 0;
  for (int k = 1; k <= 30; ++k) total += p.sections.LayerThickness(k);
  EXPECT_FLOAT_EQ(p.sections.LayerThickness(20), 1.0f);
  EXPECT_FLOAT_EQ(p.sections.LayerThickness(21), 2.0f);
  EXPECT_FLOAT_EQ(total, 40.0f);
  EXPECT_NEAR(p.soil.ShearWaveVelocity(1), 800.0 * std::pow(0.5 / 40.0, 0.25), 1e-3);
  EXPECT_NEAR(p.soil.ShearWaveVelocity(30), 800.0 * std::pow(39.0 / 40.0, 0.25), 1e-3);
  EXPECT_FLOAT_EQ(p.sections.PileRadiusY(30), 0.6f) << "every layer gets the element's section";
  EXPECT_FLOAT_EQ(p.weak.WeakThicknessRatio(17), 0.3f);
  EXPECT_FLOAT_EQ(p.soil.SoilDamping(30), 0.05f);
  EXPECT_TRUE(HasBlock(run.report, {" SHEAR WAVE VELOCITY  ...........   800.00000 ft/s",
                                    " UNIT WEIGHT  ...................   120.00000 lb/ft**3",
                                    " POISSONS RATIO  ................     0.40000",
                                    " MATERIAL DAMPING  ..............     0.05000",
                                    " WEAK SHEAR RATIO  ..............     0.50000",
                                    " WEAKPOISSONS RATIO  ..........     0.45000",
                                    " WEAK MATERIAL DAMPING  .........     0.10000",
                                    " WEAK THICKNESS RATIO  ..........     0.30000"}))
      << run.report;
  // without WEAK the generated rows get a zero shear ratio
  const EngineRun read =
      RunEngine(kParabolicHead + "SOIL\nCONSTANTS=800,120,0.4,0.05\nBELOW=900,125,0.35,0.05\nSTOP\n");
  EXPECT_FLOAT_EQ(read.problem->weak.WeakShearRatio(5), 0.0f);
  EXPECT_FLOAT_EQ(read.problem->weak.WeakPoissonRatio(5), 0.4f);
}

TEST(SoilInput, HalfSpaceSideLayersWithWeakZone) {
  const EngineRun run = RunEngine(
      "GRAVITY=9.81\nFOUNDATION=HALF-SPACE\nCIRCULAR=2\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\n"
      "SOIL\nWEAK\nCONSTANTS\n2\n1,1.0,150,18,0.3,0.05,0.6,0.35,0.08,0.2\n2,2.0,160,18.5,0.3,0.05,1.0,0.3,0.05,0.4\n"
      "BELOW=200,19,0.3,0.05\nSTOP\n");
  const SideLayers& s = run.problem->side;
  EXPECT_EQ(s.SideLayerCount, 2);
  EXPECT_FLOAT_EQ(s.CapShearRatio(1), 0.6f);
  EXPECT_FLOAT_EQ(s.CapThicknessRatio(1), 0.2f);
  EXPECT_FLOAT_EQ(s.CapThicknessRatio(2), 0.0f);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " SOIL CONSTANTS  NUMBER OF SIDE LAYERS -   2",
                                    " " + std::string(43, '*'), "",
                                    " LAYER  LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL",
                                    "  NO.   DEPTH   VELOCITY   WEIGHT    RATIO     DAMPING",
                                    "           m       m/s    kN/m**3 ",
                                    "   1     1.000  150.000     18.000    0.300     0.050",
                                    "   2     2.000  160.000     18.500    0.300     0.050", "", "",
                                    " NONLINEARITY OF SOIL (WEAKENED ZONE)"}))
      << run.report;
  EXPECT_TRUE(HasBlock(run.report, {"", "", " HALF-SPACE SOIL"}));
}

TEST(SoilInput, MultilayerAdjacentAndBelowLayers) {
  const EngineRun run = RunEngine(
      "GRAVITY=9.81\nFOUNDATION=MULTILAYER\nRECTANGULAR=4,2\nMASS=1,2,3,4,0,0,0\nLAYERS=5\n"
      "CONSTANTS=0,0,1,5,24,100,0.25,0.02,1,3E7\nELEMENT\n5(1,1,2,1,8,2,1,3)\n"
      "SOIL\nWEAK\nCONSTANTS\n2\n1,150,18,0.35,0.05,0.5,0.4,0.1,0.2\n2,160,18,0.35,0.05,0.5,0.4,0.1,0.2\n"
      "3,200,19,0.33,0.04,0.8,1.2\n4,210,19,0.33,0.04,0.9,1.1\n5,220,19,0.33,0.04,1.0,1.0\n"
      "BELOW=300,20,0.3,0.03\n" + kHarmonic + "RUN\n");
  EXPECT_EQ(run.code, 0) << run.report;
  const SoilProfile& s = run.problem->soil;
  EXPECT_FLOAT_EQ(s.ShearModulusRatio(3), 0.8f);
  EXPECT_FLOAT_EQ(s.DampingRatio(4), 1.1f);
  EXPECT_FLOAT_EQ(s.ShearWaveVelocity(5), 220.0f);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " SOIL CONSTANTS      NUMBER OF ADJACENT LAYERS -    2",
                                    " " + std::string(52, '*'), "",
                                    " LAYER  SHEAR WAVE   UNIT    POISSONS  MATERIAL",
                                    "  NO.    VELOCITY   WEIGHT    RATIO     DAMPING",
                                    "            m/s       kN/m**3 ",
                                    "   1      150.000      18.000   0.350     0.050",
                                    "   2      160.000      18.000   0.350     0.050"}))
      << run.report;
  EXPECT_TRUE(HasBlock(run.report,
                       {"", "", " SOIL PROPERTIES BELOW FOUNDATION", " " + std::string(32, '*'), "",
                        " LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL  SHEAR MODULUS  DAMPING RATIO",
                        "  NO.    VELOCITY   WEIGHT    RATIO     DAMPING  RATIO(IN/OUT)      (IN/OUT)",
                        "            m/s    kN/m**3 ",
                        "   3     200.000     19.000   0.330     0.040        0.800          1.200",
                        "   4     210.000     19.000   0.330     0.040        0.900          1.100",
                        "   5     220.000     19.000   0.330     0.040        1.000          1.000"}))
      << run.report;
  EXPECT_TRUE(HasBlock(run.report, {"", "", " SOIL BELOW MULTILAYER SYSTEM"}));
}

TEST(SoilInput, SideCapWithoutEmbedded) {
  const EngineRun run = RunEngine(kPileHead + "SOIL\nCONSTANTS\n1,100,110,0.3,0.05\n2,200,120,0.35,0.04\n"
                                              "BELOW=300,125,0.3,0.05\nSIDE-CAP\n" + kHarmonic + "RUN\n");
  EXPECT_TRUE(HasBlock(run.report, {"", "", " SIDE-CAP KEYWORD WAS INPUT WITHOUT THE EMBEDDED KEYWORD - THE SIDE-CAP "
                                            "OPTION WILL BE IGNORED"}))
      << run.report;
  EXPECT_NE(run.report.find("HARMONIC LOAD, NON QUADRATIC"), std::string::npos) << "LOAD is read by the loop";
  EXPECT_FALSE(run.problem->status.SideCapOn);
  EXPECT_EQ(run.code, 0);
}

TEST(SoilInput, EmbeddedPileCap) {
  const std::string soil = "SOIL\nCONSTANTS\n1,100,110,0.3,0.05\n2,200,120,0.35,0.04\nBELOW=300,125,0.3,0.05\n";
  const EngineRun run =
      RunEngine(kPileHead + soil + "SIDE-CAP\nEMBEDDED\n2\n1,1.5,300,110,0.3,0.05,0.5,0.35,0.1,0.2\n"
                                   "2,2.5,350,115,0.3,0.05,0.7,0.35,0.1,0.2\n" + kHarmonic + "RUN\n");
  EXPECT_EQ(run.code, 0) << run.report;
  EXPECT_TRUE(run.problem->status.EmbeddedOn);
  EXPECT_TRUE(run.problem->status.SideCapOn);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " EMBEDDED OPTION", " ***************", "",
                                    " NUMBER OF SIDE LAYERS  -    2", "",
                                    " LAYER  THICKNESS  SHEAR WAVE   UNIT    POISSONS  MATERIAL",
                                    "  NO.    OF LAYER   VELOCITY   WEIHT    RATIO     DAMPING",
                                    "             ft      ft/s    lb/ft**3",
                                    "   1      1.500    300.00     110.000    0.300     0.050",
                                    "   2      2.500    350.00     115.000    0.300     0.050", "", "",
                                    " SIDE-CAP (WEAKENING) OF SIDE LAYERS", " " + std::string(35, '*'), "",
                                    " LAYER  SHEAR MODULUS", "  NO.       RATIO", "", "   1       0.500",
                                    "   2       0.700"}))
      << run.report;

  // too few numbers before the next keyword: the options are dropped, the run goes on
  const EngineRun shortData = RunEngine(kPileHead + soil + "SIDE-CAP\nEMBEDDED\n2\n1,1.5,300,110\n" + kHarmonic + "RUN\n");
  EXPECT_TRUE(HasBlock(shortData.report, {"", "", " ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA",
                                          " PROGRAM WILL IGNORE THESE OPTIONS"}))
      << shortData.report;
  EXPECT_FALSE(shortData.problem->status.EmbeddedOn);
  EXPECT_FALSE(shortData.problem->status.SideCapOn);
  EXPECT_EQ(shortData.code, 0);
}

}  // namespace
}  // namespace terva::test
