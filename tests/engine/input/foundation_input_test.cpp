// Gravity, foundation type, shape, mass and foundation constants: checks,
// derived radii and ratios, messages and echo.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/problem_data.hpp"
#include "support/engine_run.hpp"

namespace terva::test {
namespace {

const std::vector<std::string> kNotExecute = {" PROGRAM WILL NOT EXECUTE"};

std::vector<std::string> Fatal(const std::string& message) { return {"", "", " " + message, " PROGRAM WILL NOT EXECUTE"}; }

TEST(FoundationInput, GravityChoosesTheUnitLabels) {
  struct Case {
    const char* gravity;
    const char* line;
  };
  const Case cases[] = {{"9.81", " GRAVITATIONAL CONSTANT SET TO   9.81 m/s**2 "},
                        {"10.0", " GRAVITATIONAL CONSTANT SET TO  10.00 m/s**2 "},
                        {"10.01", " GRAVITATIONAL CONSTANT SET TO  10.01 ft/s**2"},
                        {"32.2", " GRAVITATIONAL CONSTANT SET TO  32.20 ft/s**2"}};
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(std::string("GRAVITY=") + c.gravity + "\nSTOP\n");
    EXPECT_TRUE(HasBlock(run.report, {"", "", c.line, " " + std::string(44, '*')})) << c.gravity << run.report;
  }
  const EngineRun bad = RunEngine("GRAVITY=G\nSTOP\n");
  EXPECT_TRUE(HasBlock(bad.report, Fatal("ERROR ENCOUNTERED WHILE READING GRAV. CONSTANT")));
  EXPECT_EQ(bad.code, 3);
}

TEST(FoundationInput, LabelsAreChosenWhenGravityIsRead) {
  const std::string section = "FOUNDATION=HALF-SPACE\nCIRCULAR=2.0\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\n";
  const EngineRun run = RunEngine("GRAVITY=32.2\n" + section + "GRAVITY=9.81\n" + section + "STOP\n");
  // the echo before the second GRAVITY carries the labels of the first choice, the echo after it those of the second
  const size_t second = run.report.find("SET TO   9.81 m/s**2");
  ASSERT_NE(second, std::string::npos) << run.report;
  const std::string radius = " CIRCULAR FOUNDATION  -  RADIUS =    2.000 ";
  EXPECT_LT(run.report.find(radius + "ft\n"), second) << run.report;
  EXPECT_NE(run.report.find(radius + "m \n", second), std::string::npos) << run.report;
  // a call starts from a fresh record: without GRAVITY no unit has been chosen
  const EngineRun fresh = RunEngine(section + "STOP\n");
  EXPECT_TRUE(HasBlock(fresh.report, {radius + "  ", " " + std::string(19, '*')})) << fresh.report;
}

TEST(FoundationInput, EquivalentRadii) {
  const auto r = RectangularEquivalentRadii(4.0f, 2.0f);
  EXPECT_NEAR(r[0], std::sqrt(8.0 / M_PI), 1e-3);
  EXPECT_NEAR(r[1], std::pow(8.0 * 4.0 / (3.0 * M_PI), 0.25), 1e-4);   // b^3 a
  EXPECT_NEAR(r[2], std::pow(64.0 * 2.0 / (3.0 * M_PI), 0.25), 1e-4);  // a^3 b
  const auto square = RectangularEquivalentRadii(3.0f, 3.0f);
  EXPECT_FLOAT_EQ(square[1], square[2]);
  EXPECT_NEAR(square[3], std::pow(2.0 * 81.0 / (6.0 * 3.14159), 0.25), 1e-5);
}

TEST(FoundationInput, RectangularEcho) {
  const EngineRun run = RunEngine("GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nRECTANGULAR=4.0, 2.0\nSTOP\n");
  EXPECT_TRUE(HasBlock(run.report, {"", "", " FOUNDATION TYPE - HALF-SPACE", " ***************", "", "",
                                    " RECTANGULAR FOUNDATION  -     4.000 ft  BY    2.000 ft",
                                    " **********************"}))
      << run.report;
}

const char* const kStratumHead = "GRAVITY=32.2\nFOUNDATION=STRATUM\nCIRCULAR=2.0\nMASS=1,2,3,4,0,0,0\n";

TEST(FoundationInput, StratumRatiosAreChecked) {
  const EngineRun deep = RunEngine(std::string(kStratumHead) + "CONSTANTS=0,0,1,3.5,10\nSTOP\n");
  EXPECT_EQ(deep.code, 3);
  EXPECT_TRUE(HasBlock(deep.report, {"", "", " THE STRATUM OPTION IS NOT GOOD FOR THIS CASE",
                                     " CHECK YOUR E/R,E/H,R/H VALUES"}))
      << deep.report;
  // the echo follows the message
  EXPECT_NE(deep.report.find(" DEPTH OF EMBEDMENT  ............     3.50000 ft"), std::string::npos);

  const EngineRun thin = RunEngine(std::string(kStratumHead) + "CONSTANTS=0,0,1,1.5,1.9\nSTOP\n");
  EXPECT_TRUE(HasBlock(thin.report, {"", "", " THE STRATUM OPTION IS NOT GOOD FOR THIS CASE"})) << "E/H 0.79";
  const EngineRun noDepth = RunEngine(std::string(kStratumHead) + "CONSTANTS=0,0,1,0,0\nSTOP\n");
  EXPECT_EQ(noDepth.code, 3) << "a stratum of no depth gives no ratio";
  const EngineRun limits = RunEngine(std::string(kStratumHead) + "CONSTANTS=0,0,1,3.0,4.0\nSTOP\n");
  EXPECT_EQ(limits.report.find("NOT GOOD"), std::string::npos) << "E/R = 1.5 and E/H = 0.75 pass\n" << limits.report;
  EXPECT_EQ(limits.code, 2);
  EXPECT_FLOAT_EQ(limits.problem->constants.EmbedmentRatio, 1.5f);
  EXPECT_FLOAT_EQ(limits.problem->constants.EmbedmentDepthRatio, 0.75f);
  EXPECT_FLOAT_EQ(limits.problem->constants.RadiusDepthRatio, 0.5f);
}

TEST(FoundationInput, RectangularStratumUsesTheMeanOfItsFiveRadii) {
  const EngineRun read = RunEngine("GRAVITY=32.2\nFOUNDATION=STRATUM\nRECTANGULAR=4.0,2.0\nSTOP\n");
  const auto r = RectangularEquivalentRadii(4.0f, 2.0f);
  const FootingGeometry& g = read.problem->geometry;
  EXPECT_FLOAT_EQ(g.StratumRadius(1), r[0]);
  EXPECT_FLOAT_EQ(g.StratumRadius(2), r[0]);
  EXPECT_FLOAT_EQ(g.StratumRadius(5), r[3]);
  EXPECT_NEAR(g.NominalRadius, (2 * r[0] + r[1] + r[2] + r[3]) / 5, 1e-5);
}

TEST(FoundationInput, SectionErrors) {
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> block;
  };
  const std::string head = "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\n";
  const Case cases[] = {
      {"type", "FOUNDATION=SLAB\nSTOP\n", Fatal("INVALID KEYWORD - SLAB FOR FOUNDATION TYPE")},
      {"shape", head + "SQUARE=2\nSTOP\n", Fatal("INVALID KEYWORD - SQUA FOR GEOMETRY TYPE")},
      {"mass_keyword", head + "CIRCULAR=2\nWEIGHT=1\nSTOP\n", Fatal("INVALID KEYWORD - WEIG FOR MASS INFORMATION")},
      {"constants_keyword", head + "CIRCULAR=2\nMASS=1,2,3,4,5,6,7\nELEMENT\nSTOP\n",
       Fatal("INVALID KEYWORD - ELEM FOR CONSTANT INFORMATION")},
      {"centre_of_gravity", head + "CIRCULAR=2\nMASS=1,2,3,4,5,6,7\nCONSTANTS=0,X\nSTOP\n",
       Fatal("ERROR ENCOUNTERED WHILE READING CENTRE OF GRAVITY VARIABLES")},
      {"pile_constants",
       "GRAVITY=32.2\nFOUNDATION=MULTILAYER\nCIRCULAR=2\nMASS=1,2,3,4,5,6,7\nLAYERS=1\nCONSTANTS=0,0,0,1,2,3\nSTOP\n",
       Fatal("ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS")},
      {"no_radius", head + "CIRCULAR=0\nSTOP\n",
       {"", "", "  *** BAD DATA IN GEOMETRY DESCRIPTION ***"}},
      {"negative_side", head + "RECTANGULAR=-4,2\nSTOP\n",
       {"", "", "  *** BAD DATA IN GEOMETRY DESCRIPTION ***"}},
      {"geometry_number", head + "CIRCULAR=R\nSTOP\n",
       {"", "", "  *** BAD DATA IN GEOMETRY DESCRIPTION ***", "         - WILL CONTINUE TO PROCESS DATA",
        "      - CANNOT EXECUTE THIS PROBLEM SET"}},
  };
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(c.input);
    EXPECT_EQ(run.code, 3) << c.name;
    EXPECT_TRUE(HasBlock(run.report, c.block)) << c.name << "\n" << run.report;
  }
}

TEST(FoundationInput, GeometryErrorDoesNotEndTheSection) {
  const EngineRun run = RunEngine(
      "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=7.5\nMASS=1,2,3,4,5,6,7\nCONSTANTS=0,0,1\n"
      "FOUNDATION=HALF-SPACE\nCIRCULAR=R\nMASS=1,2,3,4,5,6,7\nSTOP\n");
  // the radius keeps what the first section stored; the mass is still read
  const size_t error = run.report.find("ALPHANUMERIC ENCOUNTERED - \"R ");
  ASSERT_NE(error, std::string::npos) << run.report;
  EXPECT_NE(run.report.find("\n\n\n CIRCULAR FOUNDATION  -  RADIUS =    7.500 ft\n", error), std::string::npos)
      << run.report;
  EXPECT_NE(run.report.find("TOTAL MASS OF FOOTING  ......... 1.00000E+00 slug", error), std::string::npos);
  EXPECT_EQ(run.code, 3);
}

TEST(FoundationInput, ShortMassRecordPushesTheKeywordBack) {
  const EngineRun run =
      RunEngine("GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=2\nMASS=1,2,3,4,5,6\nCONSTANTS=0,0,1\nSTOP\n");
  EXPECT_EQ(run.code, 3);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"CONSTANTS           \",",
                                    "", "", " ERROR ENCOUNTERED IN FOUNDATION MASS DESCRIPTION",
                                    " PROGRAM WILL NOT EXECUTE", "", "", " MASS CONSTANTS"}))
      << run.report;
  // the echo shows what was read, then the keyword loop meets CONSTANTS
  EXPECT_NE(run.report.find(" CROSS PRODUCT X-Z  ............. 6.00000E+00 slug"), std::string::npos);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " CONS SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"}));
}

}  // namespace
}  // namespace terva::test
