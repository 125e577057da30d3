// The engine's entry point: run files, the run's phases and its return code.
#include "engine/analysis/iterva.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "engine/analysis/analysis_driver.hpp"
#include "engine/analysis/records.hpp"
#include "engine/analysis/results_file.hpp"
#include "engine/analysis/run_files.hpp"
#include "engine/input/keywords.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"

namespace terva {
namespace {

constexpr int32_t kEntryKey = 13;
constexpr size_t kFileNameLength = 256;

// A file name as the run list holds it: at most 256 characters, trailing blanks not part of it.
std::string CleanName(std::string name) {
  if (name.size() > kFileNameLength) name.resize(kFileNameLength);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\r' || name.back() == '\n' || name.back() == '\t'))
    name.pop_back();
  return name;
}

bool ReadLine(std::FILE* f, std::string& line) {
  line.clear();
  int c;
  bool any = false;
  while ((c = std::fgetc(f)) != EOF) {
    any = true;
    if (c == '\n') return true;
    line.push_back(static_cast<char>(c));
  }
  return any;
}

// Asks for one file name on the console; false when nothing can be read.
bool Prompt(const char* question, std::string& name) {
  std::printf("\n\n       %s\n ENTER >", question);
  std::fflush(stdout);
  return ReadLine(stdin, name);
}

void FatalErrorBlock(Report& r) {
  r.NewPage();
  r.Blank(2);
  r.Column1("*** FATAL ERROR IN INPUT DATA ***");
  r.Column1("*** EXECUTION TERMINATED ***");
}

// Removes a file the run was writing, but only an ordinary file: a report
// sent to a device or a pipe is left alone.
void RemoveOutput(const std::string& name) {
  struct stat st {};
  if (!name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) std::remove(name.c_str());
}

// The end of every call that opened its outputs: closes the report and the
// graphic data file and checks that every byte reached them. An incomplete
// file must never be taken for a result, so when either could not be written
// both are removed and the run returns 3.
// Closes a file the run wrote; the error number of the first failure, 0 when every byte reached it.
int CloseOutput(std::FILE*& file, int error = 0) {
  if (!file) return error;
  errno = 0;
  if ((std::fflush(file) != 0 || std::ferror(file)) && error == 0) error = errno != 0 ? errno : EIO;
  errno = 0;
  if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  file = nullptr;
  return error;
}

// The end of every call that opened its outputs: closes the report, the
// graphic data file and the results file and checks that every byte reached
// them. An incomplete file must never be taken for a result, so when any could
// not be written all are removed and the run returns 3. A run that analysed
// nothing leaves no results file.
int32_t FinishOutputs(RunFiles& files, int32_t code, int resultsError) {
  Report& report = Out();
  const int graphicError = CloseOutput(files.graphic);
  resultsError = CloseOutput(files.results, resultsError);
  report.Close();
  if (!files.outputsOpened) return code;
  if (code != 0) RemoveOutput(files.resultsName);
  if (report.WrittenCompletely() && graphicError == 0 && (resultsError == 0 || code != 0)) return code;
  const bool reportFailed = !report.WrittenCompletely();
  const char* what = reportFailed ? "report" : graphicError != 0 ? "graphic data" : "results";
  const std::string& name = reportFailed ? files.reportName : graphicError != 0 ? files.graphicName : files.resultsName;
  const int error = reportFailed ? report.writeError() : graphicError != 0 ? graphicError : resultsError;
  std::fprintf(stderr,
               "\n TERVA: the %s file \"%s\" could not be written completely (%s) - %s output files removed, "
               "no results\n",
               what, name.c_str(), std::strerror(error), files.resultsName.empty() ? "both" : "all");
  RemoveOutput(files.reportName);
  RemoveOutput(files.graphicName);
  RemoveOutput(files.resultsName);
  return 3;
}

int32_t Run(RunFiles& files) {
  ProblemData& p = Problem();

  // scratch files and the run list
  files.tokenFile = std::fopen("TAPE7", "w+");
  files.inputCopy = std::fopen("TAPE8", "w+");
  std::string names[3];
  bool listed = false;
  if (std::FILE* list = std::fopen("names.dat", "r")) {
    listed = ReadLine(list, names[0]) && ReadLine(list, names[1]) && ReadLine(list, names[2]);
    // lines 4 to 6 are the program's own; line 7, when there is one, names the results file
    std::string line;
    for (int n = 4; listed && n <= 7 && ReadLine(list, line); ++n)
      if (n == 7) files.resultsName = CleanName(line);
    std::fclose(list);
  }
  if (!listed) {
    static const char* const kQuestions[3] = {"ENTER A FILE NAME FOR YOUR INPUT FILE.",
                                              "ENTER A FILE NAME FOR YOUR OUTPUT FILE.",
                                              "ENTER A FILE NAME FOR YOUR GRAPHIC DATA FILE."};
    for (int i = 0; i < 3; ++i) {
      if (!Prompt(kQuestions[i], names[i])) {
        std::fprintf(stderr,
                     "\n TERVA: \"names.dat\" is missing or incomplete and no file names could be read from the "
                     "console - run not started\n");
        return 3;
      }
    }
  }
  for (std::string& n : names) n = CleanName(n);

  // the input is created empty when it does not exist
  struct stat st {};
  if (!names[0].empty() && ::stat(names[0].c_str(), &st) != 0) {
    if (std::FILE* created = std::fopen(names[0].c_str(), "w")) std::fclose(created);
  }
  files.input = names[0].empty() ? nullptr : std::fopen(names[0].c_str(), "r");
  Report& report = Out();
  const bool reportOpen = !names[1].empty() && report.OpenFile(names[1]);
  files.graphic = names[2].empty() ? nullptr : std::fopen(names[2].c_str(), "w");
  if (!files.input || !reportOpen || !files.graphic) {
    std::fprintf(stderr, "\n TERVA: cannot open the %s file \"%s\" - run not started\n",
                 !files.input ? "input" : !reportOpen ? "report" : "graphic data",
                 (!files.input ? names[0] : !reportOpen ? names[1] : names[2]).c_str());
    report.Close();
    return 3;
  }
  if (!files.resultsName.empty()) {
    files.results = std::fopen(files.resultsName.c_str(), "w");
    if (!files.results) {
      std::fprintf(stderr, "\n TERVA: cannot open the results file \"%s\" - run not started\n",
                   files.resultsName.c_str());
      report.Close();
      std::fclose(files.graphic);
      files.graphic = nullptr;
      RemoveOutput(names[1]);
      RemoveOutput(names[2]);
      return 3;
    }
  }
  files.outputsOpened = true;
  files.reportName = names[1];
  files.graphicName = names[2];

  PrepareInput(files.input, files.inputCopy, files.tokenFile, report);
  p.ResetRunState();
  ReaderContext reader{p, report};
  ReadKeywords(reader);
  ReportCutInputLines(report);

  if (p.run.InputErrorIndicator) {
    FatalErrorBlock(report);
    return 3;
  }
  if (p.run.StopIndicator) {
    report.NewPage();
    report.Blank(2);
    report.Line("*** RUN TERMINATED BY 'STOP' KEYWORD ***");
    return 2;
  }
  if (p.status.FoundationType == EngineFoundation::None || p.status.LoadType == EngineLoad::None ||
      p.status.FootingShape == kShapeNone) {
    report.Blank(2);
    report.Line("INSUFFICIENT INPUT DATA TO COMPLETE RUN");
    report.Line("PROGRAM WILL TERMINATE");
    p.run.InputErrorIndicator = true;
  } else if (p.status.GravitySet == 0) {
    report.Blank(2);
    report.Line("GRAVITATIONAL CONSTANT NOT SET");
    report.Line("PROGRAM WILL TERMINATE");
    p.run.InputErrorIndicator = true;
  }
  if (p.run.InputErrorIndicator) {
    FatalErrorBlock(report);
    return 3;
  }
  // a problem the driver refuses ("PROGRAM WILL NOT EXECUTE") has not been analysed
  if (!RunAnalysis(p, report, files.graphic)) return 3;
  if (files.results) files.resultsError = WriteResultsFile(files.results, p, Results());
  return 0;
}

}  // namespace
}  // namespace terva

extern "C" int32_t ITERVA(int32_t key) {
  if (key != terva::kEntryKey) return 1;
  int32_t code = 3;
  terva::RunFiles files;
  try {
    code = terva::Run(files);
  } catch (const std::exception& e) {
    terva::Out().Line(std::string("*** INTERNAL ERROR: ") + e.what() + " ***");
    code = 3;
  } catch (...) {
    terva::Out().Line("*** INTERNAL ERROR ***");
    code = 3;
  }
  return terva::FinishOutputs(files, code, files.resultsError);
}

extern "C" int32_t _ITERVA(int32_t key) { return ITERVA(key); }
