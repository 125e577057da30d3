// Saving a project: the project file (the engine's keyword input followed by
// the program's own trailer) and the geometry file for the 3D viewer.
//
// Both texts are composed in memory and then written through QSaveFile, so a
// file on disk is replaced only by a complete new one: a save that fails
// leaves the previous file as it was and raises a TInOutError with the
// message. Numbers are written with "." whatever the locale.
#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>
#include <memory>

namespace terva::gui {

class TProgramData;
class TProjectTables;

// A value as the project file holds it: the general number format
// (NumberFormat.hpp), except that a whole number of nine to fifteen digits
// that its eight digits would change is written whole. A value that is not finite fails with a TError.
QString FormatReal(long double value);
// The value that the file will hold: FormatReal's text read back.
double ValueAsWritten(long double value);
// The 23-character trailer format: sign place, d.dddddddddddddd, "E", the
// exponent's sign and four digits (" 1.50000000000000E+0001").
QString FormatWide(long double value);

// What saving a project sets in it besides writing it (the save applies
// them; the text functions below apply them to a copy).
// The project file's rules: the BATTERED, WEAK and SIDE-CAP options switch
// on when the tables hold a batter angle, a weak-zone ratio or a side-soil
// ratio (and stay on for the project), and MassCount becomes the number of
// mass components written (none when the first mass is zero).
void ApplyProjectSaveRules(TProgramData& data, const TProjectTables& tables);
// The geometry file's rules: GeometryFileName, the foundation's Thickness
// from the layers, and a missing PileLength.
void ApplyGeometrySaveRules(TProgramData& data, const TProjectTables& tables);

// The lines of the project file that saving `data` writes, with CR LF line
// ends. The project is not changed.
QByteArray ProjectFileText(const TProgramData& data, const TProjectTables& tables);
// The lines of the geometry file. The project is not changed.
QByteArray GeometryFileText(const TProgramData& data, const TProjectTables& tables);
// FileName with its extension replaced by ".tvt".
QString GeometryFileNameOf(const QString& fileName);

// Makes the file object through which a file is written; tests pass one that
// fails to see that a failed save keeps the previous file.
using TSaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;

// Writes `bytes` to `path` through a QSaveFile: the file is replaced only
// when every byte was written. Fails with a TInOutError naming the file.
void WriteFileSafely(const QString& path, const QByteArray& bytes, const TSaveFileFactory& factory = {});

// The save step: applies the save rules, writes the project file at
// FileName and the geometry file beside it, then clears the tables'
// modified flags (the main window clears its own). The project changes only
// when both files were written. Fails with a TError when a value cannot be written and with a
// TInOutError when a file cannot be written; files already on disk stay
// whole either way.
void SaveProject(TProgramData& data, TProjectTables& tables, const TSaveFileFactory& factory = {});

}  // namespace terva::gui
