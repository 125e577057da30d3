// Opening a project: a new project filled from a project file.
//
// The loader follows the line order of the writer, driven by the foundation
// word and the option words it meets, and takes the counts written in the
// file to know how many rows follow.
//
// Outcomes:
// - complete: the whole file was read;
// - stopped: an input/output error (a truncated file, a word that is not the
//   number expected, a count larger than a project file holds) ended the
//   reading; the project keeps what was read, and the message says why;
// - failed: the file could not be opened, or a value of a keyword line could
//   not be converted; no project is returned, and the tables are put back as
//   they were, so the caller keeps its current project.
// After a complete or stopped load every table has at least one row and no
// modified flag is set.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace terva::gui {

class TProgramData;
class TProjectTables;
class TWordReader;

struct TLoadResult {
  enum Status { kComplete, kStopped, kFailed };
  Status status = kFailed;
  std::unique_ptr<TProgramData> project;  // null when failed
  QString message;                        // the text to show; empty when complete
  // Where the reading stopped: the 1-based line, 0 when the file was not
  // read at all; `ended` when the file ended before the project was whole.
  int line = 0;
  bool ended = false;
  QString expected;  // what a keyword line that did not convert should hold
  // Opened from an engine input in another layout (EngineImport.hpp): the
  // project is new to the program's layout, and `notes` say what of the
  // input it does not carry.
  bool imported = false;
  QStringList notes;
};

// Create-from-file: reads the project file at `path` into a new project and
// the tables.
TLoadResult LoadProject(const QString& path, TProjectTables& tables);
// The same from a reader already holding the file's lines; `path` becomes
// the project's FileName.
TLoadResult LoadProject(TWordReader& reader, const QString& path, TProjectTables& tables);

// Opening a file in the program: whole or nothing. A load that does not
// complete gives no project, leaves the tables as they were, and one
// message naming the file (native separators), the line and what the
// reader expected there.
TLoadResult OpenProjectFile(const QString& path, TProjectTables& tables);

}  // namespace terva::gui
