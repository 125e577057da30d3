// The entry point: its argument, the run files, the page header and how a run
// ends; repeated calls in one process.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/analysis/iterva.h"
#include "support/engine_run.hpp"
#include "support/inputs.hpp"

namespace terva::test {
namespace {

const std::vector<std::string> kFatalBlock = {"1", "", "", "*** FATAL ERROR IN INPUT DATA ***",
                                              "*** EXECUTION TERMINATED ***"};
const std::vector<std::string> kStopBlock = {"1", "", "", " *** RUN TERMINATED BY 'STOP' KEYWORD ***"};

TEST(Entry, WrongArgumentReturnsOneAndTouchesNothing) {
  ScratchFolder folder;
  folder.Write("names.dat", "in.tvd\nout.tvo\nout.tvp\n");
  EXPECT_EQ(ITERVA(0), 1);
  EXPECT_EQ(ITERVA(12), 1);
  EXPECT_EQ(_ITERVA(14), 1);
  EXPECT_FALSE(folder.Exists("TAPE7"));
  EXPECT_FALSE(folder.Exists("TAPE8"));
  EXPECT_FALSE(folder.Exists("out.tvo"));
  EXPECT_FALSE(folder.Exists("in.tvd"));
}

TEST(Entry, CompleteInputReturnsZeroAndLeavesTheScratchFiles) {
  ScratchFolder folder;
  folder.Write("job.tvd", kHalfSpaceInput);
  folder.Write("names.dat", "job.tvd   \njob.tvo\njob.tvp\njob.tvr\njob.tvt\njob.tvt\n");
  EXPECT_EQ(_ITERVA(13), 0);
  EXPECT_TRUE(folder.Exists("job.tvo"));
  EXPECT_TRUE(folder.Exists("job.tvp"));
  EXPECT_EQ(folder.Read("TAPE8"), " \n");  // InputCopy is left holding one blank record
  EXPECT_NE(folder.Read("TAPE7").find("HALF-SPACE"), std::string::npos);
}

TEST(Entry, BannerAndDataEchoHeading) {
  const EngineRun run = RunEngine(kHalfSpaceInput);
  const std::string stars(49, '*');
  const std::string empty = "*" + std::string(47, ' ') + "*";
  std::string title = "HALF-SPACE TEST FOOTING";
  title.resize(80, ' ');
  EXPECT_TRUE(HasBlock(run.report, {"", "", "", " " + stars, " " + empty,
                                    " *        S O I L - F O U N D A T I O N          *", " " + empty,
                                    " *     D Y N A M I C   S I M U L A T I O N       *",
                                    " *                    TERVA                      *", " " + empty,
                                    " *             RUN DATE -  MM/DD/YYYY            *",
                                    " *             TIME     -  HH:MM:SS              *", " " + empty, " " + stars, "",
                                    " " + title, "", std::string(22, ' ') + "DATA ECHO",
                                    std::string(22, ' ') + "*********"}))
      << run.report;
  EXPECT_EQ(run.report.rfind("\n\n\n ****", 0), 0u) << "the banner opens the report";
}

TEST(Entry, EndingsAndTheirCodes) {
  struct Case {
    const char* name;
    std::string input;
    int code;
    std::vector<std::vector<std::string>> blocks;
  };
  const std::string noLoad =
      "GRAVITY=32.2\nFOUNDATION=HALF-SPACE\nCIRCULAR=5.0\nMASS=1,2,3,4,0,0,0\nCONSTANTS=0,0,1\n";
  const Case cases[] = {
      {"run_without_load", noLoad + "RUN\n", 3,
       {{"", "", " INSUFFICIENT INPUT DATA TO COMPLETE RUN", " PROGRAM WILL TERMINATE"}, kFatalBlock}},
      {"no_gravity", noLoad.substr(13) + "LOAD=HARMONIC\nCONSTANTS=NONQUADRATIC,1,1,1,0,0,1,0,0,0\nRUN\n", 3,
       {{"", "", " GRAVITATIONAL CONSTANT NOT SET", " PROGRAM WILL TERMINATE"}, kFatalBlock}},
      {"end_without_run",
       noLoad,
       2,
       {{" *** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE", "                        READING   1 ALPHANUMERIC WORDS",
         "", "", " END OF FILE ENCOUNTERED - PROGRAM STOP EXECUTED"},
        kStopBlock}},
      {"stop", "STOP\nGRAVITY=ABC\n", 2, {kStopBlock}},
      {"stop_after_fatal_error", "GRAVITY=ABC\nSTOP\n", 3, {kFatalBlock}},
      {"empty_input", "", 2, {kStopBlock}},
  };
  for (const Case& c : cases) {
    const EngineRun run = RunEngine(c.input);
    EXPECT_EQ(run.code, c.code) << c.name << "\n" << run.report;
    for (const auto& block : c.blocks) EXPECT_TRUE(HasBlock(run.report, block)) << c.name << "\n" << run.report;
  }
  // nothing after STOP is read
  const EngineRun stopped = RunEngine("STOP\nGRAVITY=ABC\nPILE\n");
  EXPECT_EQ(stopped.report.find("GRAV"), std::string::npos);
  EXPECT_EQ(stopped.report.find("PILE"), std::string::npos);
}

TEST(Entry, MissingInputFileIsCreatedEmpty) {
  ScratchFolder folder;
  folder.Write("names.dat", "absent.tvd\nabsent.tvo\nabsent.tvp\n");
  EXPECT_EQ(ITERVA(13), 2);
  EXPECT_TRUE(folder.Exists("absent.tvd"));
  EXPECT_TRUE(HasBlock(folder.Read("absent.tvo"), kStopBlock));
}

TEST(Entry, ShortRunListAsksForTheNamesOnTheConsole) {
  ScratchFolder folder;
  folder.Write("names.dat", "job.tvd\njob.tvo\n");
  folder.Write("job.tvd", kHalfSpaceInput);
  folder.Write("answers", "job.tvd\nconsole.tvo\nconsole.tvp\n");
  ASSERT_NE(std::freopen((folder.path() + "/answers").c_str(), "r", stdin), nullptr);
  ::testing::internal::CaptureStdout();
  const int code = ITERVA(13);
  const std::string prompts = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(prompts,
            "\n\n       ENTER A FILE NAME FOR YOUR INPUT FILE.\n ENTER >"
            "\n\n       ENTER A FILE NAME FOR YOUR OUTPUT FILE.\n ENTER >"
            "\n\n       ENTER A FILE NAME FOR YOUR GRAPHIC DATA FILE.\n ENTER >");
  EXPECT_TRUE(folder.Exists("console.tvo"));
  EXPECT_FALSE(folder.Exists("job.tvo"));
}

TEST(Entry, NoRunListAndNoConsoleEndsPromptlyWithACode) {
  ScratchFolder folder;
  ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int code = ITERVA(13);
  ::testing::internal::GetCapturedStdout();
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 3);
  EXPECT_NE(message.find("names.dat"), std::string::npos) << message;
}

TEST(Entry, UnwritableReportEndsWithACode) {
  ScratchFolder folder;
  folder.Write("job.tvd", kHalfSpaceInput);
  folder.Write("names.dat", "job.tvd\n/nonexistent-folder/job.tvo\njob.tvp\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("report"), std::string::npos);
}

// ITERVA in a child process whose files may grow to at most limit bytes (the
// signal a larger write raises is ignored, so the write fails as on a full
// disk); standard error goes to "stderr.txt". The child's exit code.
int RunWithFileSizeLimit(rlim_t limit) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    if (!std::freopen("stderr.txt", "w", stderr)) ::_exit(100);
    const rlimit r{limit, limit};
    if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(101);
    const int code = ITERVA(13);
    std::fflush(stderr);
    ::_exit(code);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(Entry, OutputsThatCannotBeWrittenCompletelyAreRemoved) {
  ScratchFolder folder;
  folder.Write("job.tvd", kHalfSpaceInput);
  folder.Write("names.dat", "job.tvd\njob.tvo\njob.tvp\n");
  // the report is cut early; the graphic data file, far smaller, is complete
  EXPECT_EQ(RunWithFileSizeLimit(3000), 3);
  EXPECT_FALSE(folder.Exists("job.tvo"));
  EXPECT_FALSE(folder.Exists("job.tvp"));
  const std::string message = folder.Read("stderr.txt");
  EXPECT_NE(message.find("TERVA: the report file \"job.tvo\" could not be written completely"), std::string::npos)
      << message;
  // a run that would end with code 2 fails the same way
  std::string stop = kHalfSpaceInput;
  stop.replace(stop.find("RUN\n"), 4, "STOP\n");
  folder.Write("job.tvd", stop);
  EXPECT_EQ(RunWithFileSizeLimit(1000), 3);
  EXPECT_FALSE(folder.Exists("job.tvo"));
  // with room enough the run is complete
  folder.Write("job.tvd", kHalfSpaceInput);
  EXPECT_EQ(RunWithFileSizeLimit(1 << 20), 0);
  EXPECT_TRUE(folder.Exists("job.tvo"));
  EXPECT_EQ(folder.Read("stderr.txt"), "");
}

TEST(Entry, GraphicDataFileThatCannotBeWrittenRemovesBothAndSparesWhatIsNoFile) {
  ScratchFolder folder;
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::filesystem::create_symlink("/dev/full", folder.path() + "/job.tvp");
  folder.Write("job.tvd", kHalfSpaceInput);
  folder.Write("names.dat", "job.tvd\njob.tvo\njob.tvp\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("the graphic data file \"job.tvp\" could not be written completely"), std::string::npos)
      << message;
  EXPECT_FALSE(folder.Exists("job.tvo"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() + "/job.tvp")) << "only ordinary files are removed";
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

// The outputs are opened one after the other; when one cannot be opened the
// run does not start, and an output already opened (and so emptied) is
// removed, unless it is no ordinary file.
TEST(Entry, OutputsOpenedBeforeOneThatCannotBeAreRemoved) {
  ScratchFolder folder;
  folder.Write("job.tvd", kHalfSpaceInput);
  folder.Write("job.tvo", "the report of an earlier run\n");
  folder.Write("names.dat", "job.tvd\njob.tvo\nno-such-folder/job.tvp\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("cannot open the graphic data file \"no-such-folder/job.tvp\""), std::string::npos) << message;
  EXPECT_FALSE(folder.Exists("job.tvo")) << "an emptied report is left";

  // a report that cannot be opened: the graphic data file is not even made
  folder.Write("names.dat", "job.tvd\nno-such-folder/job.tvo\njob.tvp\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("cannot open the report file"), std::string::npos) << message;
  EXPECT_FALSE(folder.Exists("job.tvp"));

  // an input that cannot be had: no output is made
  folder.Write("names.dat", "no-such-folder/job.tvd\njob.tvo\njob.tvp\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("cannot open the input file"), std::string::npos) << message;
  EXPECT_FALSE(folder.Exists("job.tvo"));
  EXPECT_FALSE(folder.Exists("job.tvp"));

  // a report sent to a device stays
  std::filesystem::create_symlink("/dev/null", folder.path() + "/device.tvo");
  folder.Write("names.dat", "job.tvd\ndevice.tvo\nno-such-folder/job.tvp\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(ITERVA(13), 3);
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() + "/device.tvo"));
  EXPECT_TRUE(std::filesystem::exists("/dev/null"));
}

TEST(Entry, InputAsEditorsWriteIt) {
  // a UTF-8 byte-order mark before the first keyword
  const EngineRun bom = RunEngine("\xEF\xBB\xBF" + kHalfSpaceInput);
  EXPECT_EQ(bom.code, 0);
  EXPECT_EQ(bom.report, RunEngine(kHalfSpaceInput).report);

  // text beyond column 80 is ignored, as stored inputs expect, and noted once per line
  std::string input = kHalfSpaceInput;
  const std::string circular = "CIRCULAR=5.0\n";
  input.replace(input.find(circular), circular.size(), "CIRCULAR=5.0" + std::string(70, ' ') + "500.0\n");
  input.replace(input.find("GRAVITY=32.2\n"), 13, "GRAVITY=32.2" + std::string(80, ' ') + "\r\n");  // blanks lose nothing
  input.replace(input.find("SOIL\n"), 5, "SOIL $" + std::string(80, '-') + "\r\n");           // nor does a comment
  input += "STOP" + std::string(100, ' ') + "X\n";
  const EngineRun cut = RunEngine(input);
  EXPECT_EQ(cut.code, 0) << cut.report;
  EXPECT_NE(cut.report.find("RADIUS =    5.000 ft"), std::string::npos) << cut.report;
  EXPECT_EQ(CountLines(cut.report, " *** NOTE - CHARACTERS BEYOND COLUMN 80 IGNORED IN INPUT LINE 5 ***"), 1)
      << cut.report;
  EXPECT_EQ(cut.report.find("IGNORED IN INPUT LINE 3 "), std::string::npos);
  EXPECT_EQ(cut.report.find("IGNORED IN INPUT LINE 8 "), std::string::npos);
  EXPECT_EQ(cut.report.find("IGNORED IN INPUT LINE 18 "), std::string::npos) << "the input ends at RUN";
  // the notes follow the data echo
  EXPECT_GT(cut.report.find("*** NOTE"), cut.report.find("MASS CONSTANTS"));
}

TEST(Entry, EachCallStartsFromTheResetState) {
  // the first call switches echo off, asks for constants and sets SI units
  const EngineRun first = RunEngine("NOECHO\nMATRIX\nWIDE\nGRAVITY=9.81\nSTOP\n");
  EXPECT_EQ(first.code, 2);
  const EngineRun again = RunEngine(kHalfSpaceInput);
  const EngineRun twice = RunEngine(kHalfSpaceInput);
  EXPECT_EQ(again.code, 0);
  EXPECT_EQ(again.report, twice.report);
  EXPECT_NE(again.report.find("DATA ECHO"), std::string::npos) << "echo is on again";
  EXPECT_EQ(again.report.find("STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED"), std::string::npos);

  // the value fields start afresh too: labels chosen by an earlier call's GRAVITY are not kept
  const EngineRun si = RunEngine("GRAVITY=9.81\nSTOP\n");
  const EngineRun fresh = RunEngine("FOUNDATION=HALF-SPACE\nCIRCULAR=2.0\nSTOP\n");
  EXPECT_NE(fresh.report.find("RADIUS =    2.000   \n"), std::string::npos) << "no unit chosen yet\n" << fresh.report;
  // the title returns to the identification line
  EXPECT_EQ(fresh.report.find("HALF-SPACE TEST FOOTING"), std::string::npos);
}

TEST(Entry, EveryLineStartsWithAControlCharacter) {
  const EngineRun run = RunEngine(kHalfSpaceInput + "GRAVITY=X\n");
  for (const std::string& line : run.lines()) {
    if (line.empty()) continue;
    EXPECT_TRUE(line[0] == ' ' || line[0] == '1') << "|" << line << "|";
  }
}

}  // namespace
}  // namespace terva::test
