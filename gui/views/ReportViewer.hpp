// The report viewer: a run's report (".tvo", or ".failed.tvo" of a run
// that gave no results) shown read-only in a fixed-width font, with find,
// a jump to the next error line, printing and PDF export. The program's
// own window for the report, used by "View Report", by the button of a
// run's outcome message and by "Edit Output Text" when no editor starts.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPagedPaintDevice;
class QToolBar;

namespace terva::gui {

class TReportViewer : public QWidget {
  Q_OBJECT

 public:
  explicit TReportViewer(QWidget* parent = nullptr);

  // Shows the file; false (with the reason in the status line) when it
  // cannot be read.
  bool Open(const QString& path);
  // Reads the shown file again (after a new run), keeping the place.
  bool Reload();
  const QString& Path() const { return path_; }

  // Selects the next (previous) occurrence of `text`, wrapping at the end;
  // false when there is none.
  bool Find(const QString& text, bool backwards = false);
  // Moves to the next error line after the cursor (wrapping); false when
  // the report has none.
  bool NextError();
  // Writes the report as a PDF file (A4 landscape, the report's columns
  // kept); false with `error` set when it could not be written.
  bool ExportPdf(const QString& file, QString* error = nullptr) const;

  QPlainTextEdit* Text() const { return text_; }
  QLineEdit* FindField() const { return find_; }
  QString Status() const;

 private:
  void Print();
  void ExportPdfCommand();
  void SetStatus(const QString& text);
  void PrintOn(QPagedPaintDevice& device) const;

  QString path_;
  QToolBar* tools_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace terva::gui
