// Running the analysis engine: the library loader and one engine run.
//
// The engine is a shared library whose entry is called once per run with
// the value 13 (ITERVA); it finds its files through "names.dat" in the
// current folder and keeps fixed scratch files ("TAPE7", "TAPE8") there. An
// engine that also exports terva_run is given the folder instead, and the
// process's current folder is left alone. Every run works in a fresh private
// folder under the per-user application data folder, on a private copy of
// the project under a short name: "names.dat" lists only files inside that
// folder, so the engine never opens a file in the user's folders and paths
// of any length work. An engine without terva_run runs with that folder as
// the current one. When the call has
// returned, its report and graphic data file replace the old ones beside the
// project, each by an atomic rename, and only then; a run that could not be
// made, failed or was interrupted leaves the previous results as they were.
// The folder is removed afterwards. Two programs running at once never share
// a "names.dat", and nothing is written into the program's own folder.
//
// No widgets here: the main window, the batch tool and the tests run the
// engine the same way.
#pragma once

#include <QByteArray>
#include <QFunctionPointer>
#include <QLibrary>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <cstdint>
#include <memory>

#include "gui/core/Errors.hpp"

namespace terva::gui {

// The one error class of the library loader.
class TLibraryError : public TError {
 public:
  using TError::TError;
};

// Holds a library path and, while open, the loaded module.
class TLibraryLoader {
 public:
  static const QString kInitFailed;  // "Library failed to properly initialize"
  static const QString kNotFound;    // "Library could not be located"
  static const QString kNotOpen;     // "Library is not open"

  explicit TLibraryLoader(QString path);
  ~TLibraryLoader();
  TLibraryLoader(const TLibraryLoader&) = delete;
  TLibraryLoader& operator=(const TLibraryLoader&) = delete;

  // Nothing when already open. A library that is not there raises kNotFound,
  // one whose loading fails while it is there raises kInitFailed.
  void Open();
  bool IsOpen() const { return library_.isLoaded(); }
  // The address of an exported function; null when there is none. Raises
  // kNotOpen when the library is not open.
  QFunctionPointer Entry(const char* name);
  void Close();

 private:
  QLibrary library_;
};

// The files of a project's run, beside the project.
struct TRunFiles {
  QString project;   // the engine's input
  QString report;    // ".tvo"
  QString graphic;   // ".tvp"
  QString notes;     // ".tvr", the processor-run notes
  QString geometry;  // ".tvt"
  QString results;   // ".tvj", the results file: every number at the engine's precision
  QString failed = {};   // ".failed.tvo", the report of the last run that gave no results
  QString journal = {};  // ".tvo.delivery", present only while a new set is being put in place
  QString lock = {};     // ".tvo.lock", held while a run of this set is in progress

  static TRunFiles Beside(const QString& project);
  // The name a new file of the set is written under before it is put in place.
  static QString Staged(const QString& path) { return path + QStringLiteral(".new"); }
  // The seven lines of "names.dat": the six the engine has always been given
  // (the geometry file twice), then the results file, which an engine that
  // knows no results file never reads.
  QByteArray NamesDat() const;
};

// The number of frequencies at which the analysis failed, from the closing
// line "*** ANALYSIS COMPLETED WITH ERRORS AT n FREQUENCIES ***" of a
// report; 0 when the report has no such line. Reads only the report's end.
int ErrorFrequencies(const QString& report);

// The number of frequencies of a run, from the first line of its graphic
// data file; -1 when the file has no count line.
int GraphicFrequencies(const QString& graphic);

// Whether a report line (trimmed) tells of an error: "*** INPUT ERROR ***",
// "*** FATAL ERROR IN INPUT DATA ***", "PROGRAM WILL NOT EXECUTE", an error
// at a frequency; the "*** NOTE" lines are not errors.
bool IsReportErrorLine(const QString& line);

// The report's first error lines ("*** INPUT ERROR ***", "FATAL ERROR", ...),
// each with the line that continues it, at most `count` lines, trimmed.
QStringList ReportErrorLines(const QString& report, int count = 6);

// Completes or clears a delivery of `files`' results set that a killed run
// left: with a journal, the staged files it names are renamed into place
// (and the kinds it does not name removed); without one, staged files left by
// a run that ended before its journal are removed. The second needs the
// set's lock, which is taken for the moment when it is free. True when the
// set beside the project is consistent afterwards (false: another run is
// putting its results in place right now).
bool RecoverDelivery(const TRunFiles& files);

// `path` with its extension (from the last "." of the file name) replaced by
// `extension` (".tvo"); appended when the name has none.
QString WithExtension(const QString& path, const QString& extension);

// The engine library's file name on this platform ("libTerva3-comp.so",
// "TERVA3-COMP.DLL" on Windows) and its full path: in the folder that the
// build configures relative to the program's folder (lib/terva beside bin/
// on Linux, the program's folder itself on Windows), or the library named by
// the environment variable TERVA_ENGINE.
QString EngineLibraryName();
QString EngineLibraryPath();

// The engine host's full path: "terva-engine-host" in the engine library's
// folder, or the program named by the environment variable TERVA_ENGINE_HOST.
QString EngineHostPath();

// The engine's entry: one 32-bit argument (13), one 32-bit result.
using TEngineEntry = std::int32_t (*)(std::int32_t);
// The engine's progress query (ITERVA_PROGRESS): frequencies finished and in
// total of the run in progress, both 0 when none is. Older engines lack it.
using TEngineProgress = void (*)(int* done, int* total);
// The engine's run in a folder (terva_run, engine/analysis/iterva.h): the
// folder, a progress callback and its user pointer; the same codes as the
// entry, and 4 when another run of the process holds the folder. Older
// engines lack it.
using TEngineFolderRun = std::int32_t (*)(const char* folder, void (*progress)(int done, int total, void* user),
                                          void* user);

// What terva_run's progress callback told, for another thread to read: the
// total is cleared first when the loop ends, so that done never exceeds it.
struct TProgressCounters {
  std::atomic<int> done{0}, total{0};
  // terva_run's callback (user: the counters).
  static void Tell(int done, int total, void* user);
  // The counts, done clamped to the total.
  void Read(int& done, int& total) const;
};

// The outcome of a run.
struct TRunResult {
  enum Status {
    kDelivered,     // a complete run; its report, graphic data file and results file are beside the project
    kNotRun,        // the run could not be made (see message); nothing changed
    kNoResults,     // the engine ran but gave no results (stopped, input errors, nothing analysed); the old results stay
    kNotDelivered,  // the results could not be put beside the project; the old results stay
    kCancelled,     // the user cancelled the run; the old results stay
    kCrashed,       // the engine's process ended abnormally; the old results stay
  };
  Status status = kNotRun;
  int code = -1;    // the engine's code: 0 analysed, 1 wrong argument, 2 stopped, 3 fatal input error
  int errorFrequencies = 0;  // frequencies at which the engine could not compute the response
  int frequencies = -1;      // frequencies of the run (-1: unknown)
  QString message;  // what went wrong (empty when delivered)
  QString report;   // the run's own report beside the project: the new ".tvo", or ".failed.tvo"; empty when none
  QStringList errorLines;  // the first error lines of a failed run's report
  bool Delivered() const { return status == kDelivered; }
};

// One run, step by step: the main window calls Prepare and Deliver on its
// own thread and Call on a worker; the batch tool calls Call in a child
// process. The working folder goes with the object.
class TEngineSession {
 public:
  TEngineSession(const class TEngineRunner& runner, const QString& project);
  ~TEngineSession();
  TEngineSession(const TEngineSession&) = delete;
  TEngineSession& operator=(const TEngineSession&) = delete;

  // Checks the project, makes the working folder with the private copy and
  // "names.dat", and loads the engine. False (with Result() saying why) when
  // the run cannot be made.
  bool Prepare();
  // The one call of the engine in the working folder; blocking; any thread.
  // Through terva_run where the engine has it (the process's current folder
  // is then left alone), else through the entry with the working folder made
  // the current one for the call.
  int Call();
  // Records a call made elsewhere (a child process that inherited this
  // session, or an engine host) that returned `code`.
  void Called(int code) {
    called_ = true;
    result_.code = code;
  }
  // Records a call made elsewhere that ended without a code: cancelled by the
  // user, or its process ended abnormally (`why`). Deliver then keeps the
  // previous results.
  void Abandoned(TRunResult::Status status, const QString& why) {
    abandoned_ = status;
    result_.message = why;
  }
  // After a complete run, puts the report, the graphic data file and the
  // results file beside the project as one set (a file of the three that the
  // engine did not write is removed there, as it belongs to an earlier run);
  // after any other, leaves the set and puts the run's report, when it wrote
  // one, in ".failed.tvo".
  TRunResult Deliver();
  // The engine's progress while Call() runs on another thread: frequencies
  // finished and in total (both 0 outside the frequency loop); this run's
  // own where the engine runs through terva_run. False, with both 0, when
  // the engine has no progress query (an older library) or Prepare has not
  // loaded it. Null pointers are left alone.
  bool Progress(int* done, int* total) const;

  const TRunResult& Result() const { return result_; }
  const TRunFiles& Files() const { return files_; }  // beside the project
  QString WorkFolder() const;                          // empty before Prepare

 private:

  const TEngineRunner& runner_;
  TRunFiles files_;
  TRunResult result_;
  std::unique_ptr<QTemporaryDir> work_;
  std::unique_ptr<TLibraryLoader> loader_;
  TEngineEntry entry_ = nullptr;
  TEngineProgress progress_ = nullptr;
  TEngineFolderRun run_ = nullptr;
  TProgressCounters told_;  // what terva_run's callback told
  bool called_ = false;
  bool acquired_ = false;
  TRunResult::Status abandoned_ = TRunResult::kDelivered;  // kDelivered: not abandoned
  std::unique_ptr<QLockFile> lock_;
};

class TEngineRunner {
 public:
  static const QString kReinitialize;  // "Attempt to reinitialize DLL"
  static const QString kInitFailed;    // "Attempt to initialize DLL failed"
  // The private names inside the working folder.
  static const QString kInputName;     // "input.tvd"
  static const QString kReportName;    // "output.tvo"
  static const QString kGraphicName;   // "output.tvp"
  static const QString kResultsName;   // "output.tvj"

  // `library`: the engine's full path; `workRoot`: where working folders are
  // made (default: "runs" in the per-user application data folder).
  explicit TEngineRunner(QString library = EngineLibraryPath(), QString workRoot = {});
  // An engine already in the process (the tests' static engine), with its
  // progress query when it has one.
  explicit TEngineRunner(TEngineEntry entry, QString workRoot = {});
  TEngineRunner(TEngineEntry entry, TEngineProgress progress, QString workRoot = {});
  // An engine's run in a folder already in the process (the tests' terva_run).
  explicit TEngineRunner(TEngineFolderRun run, QString workRoot = {});

  // Prepare, Call, Deliver in one go. Blocking; one run at a time per process.
  TRunResult Run(const QString& project) const;

  // For a caller that makes every Call in a child process of its own (the
  // batch tool): its sessions do not hold the process's one-run lock, so
  // several may be prepared and delivered side by side. The engine must then
  // never be called in this process.
  void SetCallsInChildProcesses(bool on) { childProcesses_ = on; }
  bool CallsInChildProcesses() const { return childProcesses_; }

  // The engine is called by an engine host process (EngineHostPath()), not
  // in this process: Prepare then checks that library and host are there but
  // loads nothing. Ignored for an engine already in the process.
  void SetCallsOutOfProcess(bool on) { outOfProcess_ = on; }
  bool CallsOutOfProcess() const { return outOfProcess_ && !entry_ && !run_; }

  // Why results of `project` may not be written: they would overwrite the
  // project itself ("x.tvo" as a project). Empty when they may.
  static QString ResultConflict(const QString& project);

  // Removes the working folders under WorkRoot() whose process has ended (a
  // program killed during a run), and those that record no process and are
  // more than an hour old. Every program calls it when it starts.
  void RemoveAbandonedRuns() const;

  // True while a run is in progress anywhere in this process.
  static bool Busy();

  const QString& Library() const { return library_; }
  TEngineEntry InProcessEntry() const { return entry_; }
  TEngineProgress InProcessProgress() const { return progress_; }
  TEngineFolderRun InProcessRun() const { return run_; }
  QString WorkRoot() const;

 private:
  QString library_;
  TEngineEntry entry_ = nullptr;
  TEngineProgress progress_ = nullptr;
  TEngineFolderRun run_ = nullptr;
  QString workRoot_;
  bool childProcesses_ = false;
  bool outOfProcess_ = false;
};

}  // namespace terva::gui
