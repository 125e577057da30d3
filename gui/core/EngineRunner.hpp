// Running the analysis engine: the library loader and one engine run.
//
// The engine is a shared library with one entry, called once per run with the
// value 13; it finds its files through "names.dat" in the current folder and
// keeps process-wide data and fixed scratch files ("TAPE7", "TAPE8") there.
// So each run gets a fresh working folder of its own under the per-user
// application data folder: "names.dat" lists absolute paths (the project,
// then its ".tvo", ".tvp", ".tvr", ".tvt", ".tvt" files), the engine runs
// with that folder as the current one, and the folder is removed afterwards.
// Two programs running at once never share a "names.dat", and nothing is
// written into the program's own (possibly read-only) folder.
//
// No widgets here: the main window, the batch tool and the tests run the
// engine the same way.
#pragma once

#include <QByteArray>
#include <QFunctionPointer>
#include <QLibrary>
#include <QString>
#include <exception>

namespace terva::gui {

// The one error class of the library loader.
class TLibraryError : public std::exception {
 public:
  explicit TLibraryError(QString message);
  const QString& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.constData(); }

 private:
  QString message_;
  QByteArray utf8_;
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

// The files of one run, beside the project.
struct TRunFiles {
  QString project;   // the engine's input
  QString report;    // ".tvo"
  QString graphic;   // ".tvp"
  QString notes;     // ".tvr", the processor-run notes
  QString geometry;  // ".tvt"

  static TRunFiles Beside(const QString& project);
  // The six lines of "names.dat" (the geometry file twice), absolute paths.
  QByteArray NamesDat() const;
};

// `path` with its extension (from the last "." of the file name) replaced by
// `extension` (".tvo"); appended when the name has none.
QString WithExtension(const QString& path, const QString& extension);

// The engine library's file name on this platform ("libTerva3-comp.so",
// "TERVA3-COMP.DLL" on Windows) and its full path in the program's folder.
QString EngineLibraryName();
QString EngineLibraryPath();

struct TEngineRun {
  enum Status {
    kRan,             // the entry was called; `code` is its result
    kBusy,            // a run is already in progress in this process
    kLibraryFailed,   // the library could not be loaded or has no entry
    kNoWorkFolder,    // the working folder could not be made or written
  };
  Status status = kLibraryFailed;
  int code = -1;      // 0 analysed, 1 wrong argument, 2 stopped, 3 fatal input error
  QString message;    // why the run did not happen (empty when it ran)
};

class TEngineRunner {
 public:
  static const QString kReinitialize;  // "Attempt to reinitialize DLL"
  static const QString kInitFailed;    // "Attempt to initialize DLL failed"

  // `library`: the engine's full path; `workRoot`: where working folders are
  // made (default: "runs" in the per-user application data folder).
  explicit TEngineRunner(QString library = EngineLibraryPath(), QString workRoot = {});

  // One run on the project file at `project` (absolute or relative to the
  // current folder). Blocking; may be called from a worker thread, but only
  // one run at a time per process. The current folder is the working folder
  // during the call and is restored afterwards.
  TEngineRun Run(const QString& project) const;

  // True while a run is in progress anywhere in this process.
  static bool Busy();

  const QString& Library() const { return library_; }
  QString WorkRoot() const;

 private:
  QString library_;
  QString workRoot_;
};

}  // namespace terva::gui
