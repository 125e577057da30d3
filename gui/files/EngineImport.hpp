// Importing an engine input: any keyword input the engine accepts, whatever
// its layout (values on one line or many, comments, keywords with "=" or
// on lines of their own), turned into a project.
//
// The input is read by the engine's own reader, linked in from the engine's
// static library, so the keyword language has one parser; the project is
// filled from the problem record that reader makes. What the program's
// windows cannot hold is listed in the result's notes.
#pragma once

#include "gui/files/ProjectReader.hpp"

#include <QByteArray>
#include <QString>

namespace terva::gui {

class TProjectTables;

// Fills a new project and the tables from the engine's reading of `text`
// (the file at `path`, which becomes the project's FileName).
// - When the engine would analyse the input: complete, `imported` set, and
//   `notes` list, one sentence each, what the project does not carry as the
//   input has it; the tables' modified flags are cleared (the caller marks
//   the project modified).
// - Otherwise failed: no project, the tables as they were, `message` the
//   engine's first input error (or why it would not run) and `line` its
//   input line (0 when it names none).
TLoadResult ImportEngineInput(const QByteArray& text, const QString& path, TProjectTables& tables);

}  // namespace terva::gui
