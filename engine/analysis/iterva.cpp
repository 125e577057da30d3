// The engine's entry points: ITERVA and terva_run, the run files, the run's phases and its return code.
#include "engine/analysis/iterva.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "engine/analysis/analysis_driver.hpp"
#include "engine/analysis/progress.hpp"
#include "engine/analysis/results_file.hpp"
#include "engine/analysis/run_context.hpp"
#include "engine/analysis/run_files.hpp"
#include "engine/core/problem_data.hpp"
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
int32_t FinishOutputs(RunContext& run, int32_t code) {
  RunFiles& files = run.files;
  Report& report = run.report;
  int resultsError = files.resultsError;
  const int graphicError = CloseOutput(files.graphic);
  resultsError = CloseOutput(files.results, resultsError);
  report.Close();
  if (!files.outputsOpened) return code;
  if (code != 0) RemoveOutput(files.resultsPath);
  if (report.WrittenCompletely() && graphicError == 0 && (resultsError == 0 || code != 0)) return code;
  const bool reportFailed = !report.WrittenCompletely();
  const char* what = reportFailed ? "report" : graphicError != 0 ? "graphic data" : "results";
  const std::string& name = reportFailed ? files.reportName : graphicError != 0 ? files.graphicName : files.resultsName;
  const int error = reportFailed ? report.writeError() : graphicError != 0 ? graphicError : resultsError;
  std::fprintf(stderr,
               "\n TERVA: the %s file \"%s\" could not be written completely (%s) - %s output files removed, "
               "no results\n",
               what, name.c_str(), std::strerror(error), files.resultsName.empty() ? "both" : "all");
  RemoveOutput(files.reportPath);
  RemoveOutput(files.graphicPath);
  RemoveOutput(files.resultsPath);
  return 3;
}

int32_t Run(RunContext& run) {
  ProblemData& p = run.problem;
  RunFiles& files = run.files;

  // scratch files and the run list. Every file is opened in binary mode: the
  // engine writes "\n" line ends and reads "\r\n" and "\n" alike on every
  // system, so that its files are the same bytes on Windows as elsewhere.
  files.tokenFile = std::fopen(run.Path("TAPE7").c_str(), "w+b");
  files.inputCopy = std::fopen(run.Path("TAPE8").c_str(), "w+b");
  std::string names[3];
  bool listed = false;
  if (std::FILE* list = std::fopen(run.Path("names.dat").c_str(), "rb")) {
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
  const std::string inputPath = run.Path(names[0]);
  files.reportName = names[1];
  files.graphicName = names[2];
  files.reportPath = run.Path(names[1]);
  files.graphicPath = run.Path(names[2]);
  files.resultsPath = run.Path(files.resultsName);

  // the input is created empty when it does not exist
  struct stat st {};
  if (!names[0].empty() && ::stat(inputPath.c_str(), &st) != 0) {
    if (std::FILE* created = std::fopen(inputPath.c_str(), "wb")) std::fclose(created);
  }
  // The outputs are opened one after the other, and the first that cannot
  // be opened ends the run: an output already opened has been emptied by it
  // and is removed, so that no empty file stands for a result.
  auto notStarted = [&](const char* what, const std::string& name) {
    std::fprintf(stderr, "\n TERVA: cannot open the %s file \"%s\" - run not started\n", what, name.c_str());
    run.report.Close();
    if (files.graphic) std::fclose(files.graphic);
    files.graphic = nullptr;
    return int32_t{3};
  };
  files.input = names[0].empty() ? nullptr : std::fopen(inputPath.c_str(), "rb");
  if (!files.input) return notStarted("input", names[0]);
  Report& report = run.report;
  if (names[1].empty() || !report.OpenFile(files.reportPath)) return notStarted("report", names[1]);
  files.graphic = names[2].empty() ? nullptr : std::fopen(files.graphicPath.c_str(), "wb");
  if (!files.graphic) {
    notStarted("graphic data", names[2]);
    RemoveOutput(files.reportPath);
    return 3;
  }
  if (!files.resultsName.empty()) {
    files.results = std::fopen(files.resultsPath.c_str(), "wb");
    if (!files.results) {
      notStarted("results", files.resultsName);
      RemoveOutput(files.reportPath);
      RemoveOutput(files.graphicPath);
      return 3;
    }
  }
  files.outputsOpened = true;

  run.reader.PrepareInput(files.input, files.inputCopy, files.tokenFile);
  ReadPreparedInput(run);

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
  if (!RunAnalysis(p, *run.results, report, files.graphic, run.progress)) return 3;
  if (files.results) files.resultsError = WriteResultsFile(files.results, p, *run.results);
  return 0;
}

// The folders in which a run of this process is in progress, by their
// canonical paths; a second run in one of them is refused.
class FolderClaim {
 public:
  FolderClaim() = default;
  FolderClaim(const FolderClaim&) = delete;
  FolderClaim& operator=(const FolderClaim&) = delete;
  ~FolderClaim() {
    if (!held_) return;
    const std::lock_guard lock(Mutex());
    Claimed().erase(key_);
  }

  // Claims `key` for the life of the object; false when a run holds it already.
  bool Claim(std::string key) {
    const std::lock_guard lock(Mutex());
    if (!Claimed().insert(key).second) return false;
    key_ = std::move(key);
    held_ = true;
    return true;
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::set<std::string>& Claimed() {
    static std::set<std::string> claimed;
    return claimed;
  }
  std::string key_;
  bool held_ = false;
};

// One run in `folder` ("" the current one): the folder claimed for the
// call, a fresh context, the run, the outputs closed and checked. No
// exception leaves it.
int32_t RunInFolder(const std::string& folder, terva_progress_fn progress, void* user) noexcept {
  try {
    namespace fs = std::filesystem;
    std::error_code error;
    std::string key = fs::canonical(folder.empty() ? fs::path(".") : fs::path(folder), error).string();
    if (error || !fs::is_directory(key, error)) {
      if (!folder.empty()) {
        std::fprintf(stderr, "\n TERVA: the folder \"%s\" cannot be used - run not started\n", folder.c_str());
        return 3;
      }
      key.clear();  // a current folder that has gone: the run finds no files there
    }
    FolderClaim claim;
    if (!claim.Claim(key)) return TERVA_RUN_REFUSED;
    const auto run = std::make_unique<RunContext>(folder, progress, user);
    int32_t code = 3;
    try {
      code = Run(*run);
    } catch (const std::exception& e) {
      run->report.Line(std::string("*** INTERNAL ERROR: ") + e.what() + " ***");
      code = 3;
    } catch (...) {
      run->report.Line("*** INTERNAL ERROR ***");
      code = 3;
    }
    return FinishOutputs(*run, code);
  } catch (...) {  // no memory for the context or a message
    return 3;
  }
}

// Held by the ITERVA call in progress: ITERVA calls share the current folder
// and the progress counters.
std::atomic<bool> entryBusy{false};

}  // namespace
}  // namespace terva

extern "C" int32_t terva_run(const char* folder, terva_progress_fn progress, void* user) {
  try {
    return terva::RunInFolder(folder ? folder : "", progress, user);
  } catch (...) {  // no memory for the folder's name
    return 3;
  }
}

extern "C" int32_t ITERVA(int32_t key) {
  if (key != terva::kEntryKey) return 1;
  if (terva::entryBusy.exchange(true)) return TERVA_RUN_REFUSED;
  const int32_t code = terva::RunInFolder("", &terva::PublishProgress, nullptr);
  terva::entryBusy.store(false);
  return code;
}

extern "C" int32_t _ITERVA(int32_t key) { return ITERVA(key); }
