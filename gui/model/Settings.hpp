// The program's settings, kept with QSettings under "Halvit/TERVA" in the
// group of the program's version: the text editor for reports and input
// files ("Word Processor") and the most recent projects ("File1".."File10").
#pragma once

#include <QString>
#include <QStringList>

namespace terva::gui {

// The most recent projects, newest first, at most kCount.
class TRecentFiles {
 public:
  static constexpr int kCount = 10;

  const QStringList& Files() const { return files_; }
  // Puts `path` first (an exact, case-sensitive match moves up; the
  // oldest beyond kCount goes).
  void Add(const QString& path);
  void Set(QStringList files);
  void Clear() { files_.clear(); }

  // The File menu's entries, one per file: "N path", the file name alone
  // when it lies in `currentFolder`, '&' doubled so that it shows as such.
  QStringList MenuTexts(const QString& currentFolder) const;

 private:
  QStringList files_;
};

class TSettings {
 public:
  // The group of the settings: the program's version.
  static QString Group();

  QString editorPath;
  TRecentFiles recent;

  // Unreadable settings give none (an empty editor path means the platform's
  // usual editor, see DefaultEditorPath).
  void Read();
  void Write() const;

  // The platform's usual text editor: "notepad.exe" in the Windows folder on
  // Windows; empty elsewhere, meaning the desktop's default application.
  static QString DefaultEditorPath();
};

}  // namespace terva::gui
