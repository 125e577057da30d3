// The keyword language: the key table, the main loop, options, misplaced
// sub-keywords and unknown words.
#include "engine/input/keywords.hpp"

#include <gtest/gtest.h>

#include "engine/report/report.hpp"
#include "support/engine_run.hpp"
#include "support/inputs.hpp"

namespace terva::test {
namespace {

// The report the routines under test write to: this program's own (the
// engine keeps none; a run's report is in its run context).
Report& Out() {
  static Report report;
  return report;
}

TEST(Keywords, TableOrderAndFourCharacterMatching) {
  ASSERT_EQ(KeywordTable.size(), 52u);
  Out().OpenMemory();
  EXPECT_EQ(LookupKeyword("    ", &Out()), 1);
  EXPECT_EQ(LookupKeyword("FOUNDATIONS", &Out()), kFoundationKey);
  EXPECT_EQ(LookupKeyword("FOUN", &Out()), 24);
  EXPECT_EQ(LookupKeyword("LAYER", &Out()), LookupKeyword("LAYERS", &Out()));
  EXPECT_EQ(LookupKeyword("RUN ", &Out()), 28);
  EXPECT_EQ(LookupKeyword("END-BEARING", &Out()), 35);
  EXPECT_EQ(LookupKeyword("PAD ", &Out()), 45);
  EXPECT_EQ(LookupKeyword("QUADRATIC", &Out()), 51);
  EXPECT_EQ(LookupKeyword("NONQUADRATIC", &Out()), 52);
  EXPECT_EQ(Out().Captured(), "");
  EXPECT_EQ(LookupKeyword("END ", &Out()), kUnknownKeyword);
  EXPECT_EQ(LookupKeyword("RUNNING", &Out()), kUnknownKeyword);  // "RUNN" is not "RUN "
  EXPECT_EQ(LookupKeyword("PADS", nullptr), kUnknownKeyword);
  EXPECT_EQ(Out().Captured(), "\n\n UNRECOGNIZED KEYWORD - END \n\n\n UNRECOGNIZED KEYWORD - RUNN\n");
  Out().Close();
}

TEST(Keywords, MisplacedSubkeywordsAreReportedAndSkipped) {
  const std::pair<const char*, const char*> cases[] = {
      {"PILE", "PILE SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"},
      {"CIRCULAR", "CIRC SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"},
      {"PLOT", "PLOT SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"},
      {"END-BEARING", "END- SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"},
      {"CONSTANTS", "CONS SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"},
      {"HARMONIC", "HARM SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD"},
      {"PAD", "PAD  SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD"},
      {"NONQUADRATIC", "NONQ SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD"},
      {"BELOW", "BELO SUBKEYWORD MUST BE PRECEEDED BY SOIL KEYWORD"},
      {"SIDE-CAP", "SIDE SUBKEYWORD MUST BE PRECEEDED BY SOIL KEYWORD"},
      {"MASS", "MASS SUBKEYWORD MUST BE PRECEEDED BY ONE OF FOUNDATION, SOIL OR LOAD KEYWORDS"},
  };
  for (const auto& [key, message] : cases) {
    const EngineRun run = RunEngine(std::string(key) + "\nSTOP\n");
    EXPECT_EQ(run.code, 2) << key;  // not an error
    EXPECT_TRUE(HasBlock(run.report, {"", "", std::string(" ") + message})) << key << "\n" << run.report;
  }
}

TEST(Keywords, UnknownAndIgnoredWords) {
  const EngineRun run = RunEngine("END\n  FOUNDATION\nLONG\nSHORT\nSTAT\nDYNAMIC\nSTOP\n");
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(HasBlock(run.report, {"", "", " UNRECOGNIZED KEYWORD - END "}));
  EXPECT_TRUE(HasBlock(run.report, {"", "", " UNRECOGNIZED KEYWORD -   FO"}));  // an indented keyword
  EXPECT_EQ(CountLines(run.report, " UNRECOGNIZED KEYWORD - LONG"), 0);
  EXPECT_EQ(run.report.find("SHOR"), std::string::npos);
  EXPECT_EQ(run.report.find("STAT"), std::string::npos);
}

TEST(Keywords, OptionNotices) {
  const EngineRun echo = RunEngine("WIDE\nDIMENSIONLESS\nMATRIX\nNARROW\nSTOP\n");
  EXPECT_TRUE(HasBlock(echo.report, {"", "", " WIDE PRINTOUT FOR HARMONIC RESPONSE CURVE", " " + std::string(41, '*')}));
  EXPECT_TRUE(HasBlock(echo.report, {"", "", " DIMENSIONLESS RESPONSE", " " + std::string(22, '*')}));
  EXPECT_TRUE(
      HasBlock(echo.report, {"", "", " STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED", " " + std::string(45, '*')}));
  // without echo only WIDE still prints its notice
  const EngineRun quiet = RunEngine("NOECHO\nWIDE\nDIMENSIONLESS\nMATRIX\nSTOP\n");
  EXPECT_NE(quiet.report.find("WIDE PRINTOUT"), std::string::npos);
  EXPECT_EQ(quiet.report.find("DIMENSIONLESS RESPONSE"), std::string::npos);
  EXPECT_EQ(quiet.report.find("STIFFNESS AND DAMPING"), std::string::npos);
}

TEST(Keywords, TitleStartsTheEchoPageOnlyWithEcho) {
  const EngineRun echo = RunEngine("TITLE\nMY FOOTING, SECOND TRY\nSTOP\n");
  EXPECT_NE(echo.report.find(" MY FOOTING" + std::string(70, ' ') + "\n"), std::string::npos) << echo.report;
  EXPECT_NE(echo.report.find("DATA ECHO"), std::string::npos);
  EXPECT_TRUE(HasBlock(echo.report, {"", "", " UNRECOGNIZED KEYWORD -  SEC"})) << "the comma ends the title";
  const EngineRun quiet = RunEngine("NOECHO\nTITLE\nMY FOOTING\nSTOP\n");
  EXPECT_EQ(quiet.report.find("DATA ECHO"), std::string::npos);
  const EngineRun none = RunEngine("GRAVITY=32.2\nSTOP\n");
  EXPECT_EQ(none.report.find("DATA ECHO"), std::string::npos) << "no banner without TITLE";
  const EngineRun eof = RunEngine("TITLE\n");
  EXPECT_TRUE(HasBlock(eof.report, {"", "", " END OF FILE ENCOUNTERED WHILE READING TITLE"})) << eof.report;
  EXPECT_EQ(eof.code, 2);
}

TEST(Keywords, TitleIsSplitByLetterCodes) {
  // "T" standing alone is a number code: the title ends before it and the rest is read as input
  const EngineRun run = RunEngine("TITLE\nTEST T RUN\nSTOP\n");
  EXPECT_NE(run.report.find(" TEST " + std::string(75, ' ') + "\n"), std::string::npos) << run.report;
  EXPECT_TRUE(HasBlock(run.report, {"", "", " UNRECOGNIZED KEYWORD - 999."}));
  EXPECT_TRUE(HasBlock(run.report, {"", "", " UNRECOGNIZED KEYWORD -  RUN"}));
  EXPECT_EQ(run.code, 2);
}

TEST(Keywords, SecondFoundationSectionOverwrites) {
  const EngineRun run = RunEngine(
      "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\n"
      "FOUNDATIONS=HALF-SPACE\nRECTANGULAR=4.0,2.0\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\n"
      "SOIL\nCONSTANTS\n0\nBELOW=500,110,0.3,0.05\nLOAD=HARMONIC\nCONSTANTS\nNONQUADRATIC\n100,10,10\n0,0,1,0,0,0\nRUN\n");
  EXPECT_EQ(run.code, 0) << run.report;
  EXPECT_NE(run.report.find("RECTANGULAR FOUNDATION  -     4.000 ft  BY    2.000 ft"), std::string::npos);
}

}  // namespace
}  // namespace terva::test
